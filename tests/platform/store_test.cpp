// The QSettings store, on a real file in a temporary configuration directory. QSettings
// keeps one parsed copy of each file per process, so what reached the disk is read back
// by a second process: this test program itself, running only StoreProbe.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QVariant>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "game/hiscoretable.h"
#include "game/savegame.h"
#include "game/settings.h"
#include "platform/store.h"

namespace {

// The probe below runs this program again, found through the application object; a core
// application is enough, so the test needs no display.
class CoreApplicationEnvironment : public testing::Environment {
public:
    void SetUp() override {
        if (!QCoreApplication::instance()) app_ = new QCoreApplication(argc_, argv_);
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

private:
    int argc_ = 1;
    char name_[24] = "platform_store_tests";
    char* argv_[2] = {name_, nullptr};
    QCoreApplication* app_ = nullptr;
};
testing::Environment* const coreApplication =
    testing::AddGlobalTestEnvironment(new CoreApplicationEnvironment);

struct Probed {
    std::string type;  // the QVariant's type name, "missing" when absent
    QByteArray data;   // a string's UTF-8 bytes or a byte array's bytes
};

// Runs in the second process: dumps the named values as QSettings finds them in the
// default location, which XDG_CONFIG_HOME points at.
TEST(StoreProbe, DISABLED_DumpValues) {
    const QByteArray names = qgetenv("MARLIPAN_PROBE_NAMES");
    QSettings settings(QStringLiteral("Dunmarsh"), QStringLiteral("Marlipan"));
    for (const QByteArray& name : names.split(',')) {
        const QVariant v = settings.value(QString::fromUtf8(name));
        const char* type = v.isValid() ? v.metaType().name() : "missing";
        const QByteArray data =
            v.typeId() == QMetaType::QByteArray ? v.toByteArray() : v.toString().toUtf8();
        std::printf("PROBE %s %s %s\n", name.constData(), type, data.toHex().constData());
    }
    std::printf("PROBE-FILE %s\n", settings.fileName().toUtf8().toHex().constData());
    std::fflush(stdout);
}

class QSettingsStoreTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        // Only this process's QSettings go here; the probe finds the same place through
        // XDG_CONFIG_HOME, the way the game finds ~/.config.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
    }

    QString ConfigFile() const { return dir_.path() + "/Dunmarsh/Marlipan.conf"; }

    std::map<std::string, Probed> ProbeInNewProcess(const QStringList& names,
                                                    QString* fileName = nullptr) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", dir_.path());
        env.insert("MARLIPAN_PROBE_NAMES", names.join(','));
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests", "--gtest_filter=StoreProbe.*"});
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        std::map<std::string, Probed> out;
        for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> f = line.trimmed().split(' ');
            if (f.size() >= 3 && f[0] == "PROBE")
                out[f[1].toStdString()] = {f[2].toStdString(),
                                           QByteArray::fromHex(f.size() > 3 ? f[3] : "")};
            else if (f.size() >= 2 && f[0] == "PROBE-FILE" && fileName)
                *fileName = QString::fromUtf8(QByteArray::fromHex(f[1]));
        }
        return out;
    }

    void WriteFile(const QByteArray& text) {
        QDir().mkpath(dir_.path() + "/Dunmarsh");
        QFile f(ConfigFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QTemporaryDir dir_;
};

TEST_F(QSettingsStoreTest, StringsAndBinariesReachTheFileWithTheirTypes) {
    const std::vector<uint8_t> binary = {0x00, 0xFF, '\n', ',', '@', '"', '\\', 0x7F, 'x'};
    {
        QSettingsStore store;
        store.WriteString("PlayMusic", "1");
        store.WriteString("GamepackName", "caf\xC3\xA9, the pack.spx");
        store.WriteBinary("HiScore", binary);
        store.WriteString("Empty", "");
        store.Sync();
        EXPECT_EQ(QString::fromStdString(store.FileName()), ConfigFile());
    }
    QString fileName;
    auto got = ProbeInNewProcess({"PlayMusic", "GamepackName", "HiScore", "Empty", "Nothing"},
                                 &fileName);
    EXPECT_EQ(fileName, ConfigFile());  // the XDG location, ~/.config/Dunmarsh/Marlipan.conf
    EXPECT_EQ(got["PlayMusic"].type, "QString");
    EXPECT_EQ(got["PlayMusic"].data, "1");
    EXPECT_EQ(got["GamepackName"].type, "QString");
    EXPECT_EQ(got["GamepackName"].data, "caf\xC3\xA9, the pack.spx");
    EXPECT_EQ(got["HiScore"].type, "QByteArray");
    EXPECT_EQ(got["HiScore"].data,
              QByteArray(reinterpret_cast<const char*>(binary.data()), qsizetype(binary.size())));
    EXPECT_EQ(got["Empty"].type, "QString");
    EXPECT_EQ(got["Nothing"].type, "missing");
}

TEST_F(QSettingsStoreTest, HandEditedValuesOfOtherTypesFallBackOrAreRefused) {
    WriteFile("[General]\n"
              "PlayMusic=0, 1\n"
              "MusicVolume=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x10)\n"
              "SlideSpeed=@ByteArray(12)\n"
              "OnTop=1\n"
              "Savegame=1.10\n"
              "HiScore=@ByteArray(short)\n");
    QSettingsStore store;
    EXPECT_EQ(store.Read("PlayMusic").type, StoreValueType::Other);  // a list
    EXPECT_EQ(store.Read("SlideSpeed").type, StoreValueType::Binary);

    GameSettings s;
    s.Load(store);
    EXPECT_TRUE(s.MusicOn());
    EXPECT_EQ(s.MusicVolume, "128");
    EXPECT_EQ(s.SlideSpeed, "10");
    EXPECT_TRUE(s.OnTopOn());  // the one sound value is still read

    HiScoreTable t;
    t.RecordResult(1, 1, "x.spx");
    t.Load(store);
    EXPECT_EQ(t.Serialise(), HiScoreTable().Serialise());

    try {
        ReadSaveGame(store);
        ADD_FAILURE() << "a string taken for a saved game";
    } catch (const StoreTypeError& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'Savegame'");
    }
}

TEST_F(QSettingsStoreTest, MalformedFileIsWrittenAfreshWithoutAnError) {
    WriteFile("[General\nno equals sign\n\xff\xfe=x\nPlayMusic=0\n");
    QSettingsStore store;
    store.WriteString("SlideSpeed", "7");
    EXPECT_NO_THROW(store.Sync());
    auto got = ProbeInNewProcess({"PlayMusic", "SlideSpeed"});
    EXPECT_EQ(got["PlayMusic"].data, "0");
    EXPECT_EQ(got["SlideSpeed"].data, "7");
}

TEST_F(QSettingsStoreTest, FirstRunStoresAllSevenSettingsAndTheTable) {
    QSettingsStore store;
    GameSettings s;
    s.Load(store);
    HiScoreTable t;
    t.Load(store);
    StoreSettingsAndTop10(store, s, t);

    auto got = ProbeInNewProcess({"PlayMusic", "PlaySoundFX", "OnTop", "DoubleSize",
                                  "MusicVolume", "GamepackName", "SlideSpeed", "HiScore"});
    const std::pair<const char*, const char*> expected[] = {
        {"PlayMusic", "1"},    {"PlaySoundFX", "1"},            {"OnTop", "0"},
        {"DoubleSize", "0"},   {"MusicVolume", "128"},          {"GamepackName", "default.spx"},
        {"SlideSpeed", "10"}};
    for (const auto& [name, value] : expected) {
        EXPECT_EQ(got[name].type, "QString") << name;
        EXPECT_EQ(got[name].data, value) << name;
    }
    EXPECT_EQ(got["HiScore"].type, "QByteArray");
    const std::vector<uint8_t> def = HiScoreTable().Serialise();
    EXPECT_EQ(got["HiScore"].data,
              QByteArray(reinterpret_cast<const char*>(def.data()), qsizetype(def.size())));
}

TEST_F(QSettingsStoreTest, UnwritableStoreIsReportedAndRetriedLater) {
    // A plain file where the directory should be: no user, root included, can write there.
    {
        QFile blocker(dir_.path() + "/Dunmarsh");
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    QSettingsStore store;
    store.WriteString("GamepackName", "kept.spx");
    try {
        store.Sync();
        ADD_FAILURE() << "a write that cannot happen reported as done";
    } catch (const StoreError& e) {
        EXPECT_NE(std::string(e.what()).find("Marlipan.conf"), std::string::npos) << e.what();
    }
    EXPECT_EQ(ProbeInNewProcess({"GamepackName"})["GamepackName"].type, "missing");

    // Once the directory can be made, the next sync writes what the failed one could not.
    ASSERT_TRUE(QFile::remove(dir_.path() + "/Dunmarsh"));
    ASSERT_TRUE(QDir().mkpath(dir_.path() + "/Dunmarsh"));
    store.WriteString("SlideSpeed", "5");
    EXPECT_NO_THROW(store.Sync());
    auto got = ProbeInNewProcess({"GamepackName", "SlideSpeed"});
    EXPECT_EQ(got["GamepackName"].data, "kept.spx");
    EXPECT_EQ(got["SlideSpeed"].data, "5");
}

TEST_F(QSettingsStoreTest, FileCutInsideTheTableKeepsTheEntriesItHoldsWhole) {
    HiScoreTable table;
    table.RecordResult(10, 10, "alpha.spx");
    table.RecordResult(20, 10, "beta.spx");
    table.RecordResult(30, 10, "gamma.spx");
    table.RecordResult(40, 10, "delta.spx");
    const std::vector<uint8_t> record = table.Serialise();
    QByteArray text;
    {
        QTemporaryDir other;
        QSettings writer(other.filePath("w.conf"), QSettings::IniFormat);
        writer.setValue("GamepackName", "mine.spx");
        writer.setValue("HiScore", QByteArray(reinterpret_cast<const char*>(record.data()), qsizetype(record.size())));
        writer.sync();
        QFile f(writer.fileName());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        text = f.readAll();
    }
    // The file ends inside the fourth entry's name: three entries are whole.
    const qsizetype cut = text.indexOf("delta") + 3;
    ASSERT_GT(cut, text.indexOf("HiScore="));
    WriteFile(text.left(cut));

    QSettingsStore store;
    GameSettings s;
    s.Load(store);
    EXPECT_EQ(s.GamepackName, "mine.spx");
    HiScoreTable t;
    t.Load(store);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(t.Entry(i).Gamepack, table.Entry(i).Gamepack) << i;
        EXPECT_EQ(t.Entry(i).Moves, table.Entry(i).Moves) << i;
    }
    for (int i = 3; i < 10; ++i) EXPECT_TRUE(t.Entry(i).Empty()) << i;

    // Stored again, the file is whole and holds what could be read.
    EXPECT_NO_THROW(StoreSettingsAndTop10(store, s, t));
    const QByteArray stored = ProbeInNewProcess({"HiScore"})["HiScore"].data;
    ASSERT_EQ(stored.size(), 630);
    auto back = HiScoreTable::Parse(reinterpret_cast<const uint8_t*>(stored.constData()), size_t(stored.size()));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Entry(2).Gamepack, "gamma.spx");
    EXPECT_TRUE(back->Entry(3).Empty());
}

TEST_F(QSettingsStoreTest, SettingsFileThatIsAFolderGivesDefaultsAndCannotBeWritten) {
    ASSERT_TRUE(QDir().mkpath(ConfigFile()));
    QSettingsStore store;
    GameSettings s;
    s.Load(store);
    EXPECT_EQ(s.GamepackName, "default.spx");
    HiScoreTable t;
    t.Load(store);
    EXPECT_TRUE(t.Entry(0).Empty());
    try {
        StoreSettingsAndTop10(store, s, t);
        ADD_FAILURE() << "a folder taken for a written file";
    } catch (const StoreError& e) {
        EXPECT_NE(std::string(e.what()).find("Marlipan.conf"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(QFileInfo(ConfigFile()).isDir());
}

}  // namespace
