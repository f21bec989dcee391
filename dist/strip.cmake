# Run by CPack on the staged files before it packs them: strips every program as dh_strip
# strips an executable.
file(GLOB programs ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/* ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/games/*)
if(NOT programs)
  message(FATAL_ERROR "strip.cmake: no programs under ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr")
endif()
foreach(program ${programs})
  execute_process(COMMAND ${CPACK_MARLIPAN_STRIP} --remove-section=.comment --remove-section=.note ${program}
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
