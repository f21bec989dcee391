// Gives every window and drawing test one QApplication, made before the first test runs
// (after main has parsed its arguments), on whichever platform QT_QPA_PLATFORM names.
#include <QApplication>
#include <gtest/gtest.h>

namespace {
class QtEnvironment : public testing::Environment {
public:
    void SetUp() override {
        if (!QCoreApplication::instance()) app_ = new QApplication(argc_, argv_);
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

private:
    int argc_ = 1;
    char name_[16] = "marlipan-tests";
    char* argv_[2] = {name_, nullptr};
    QApplication* app_ = nullptr;
};

testing::Environment* const environment = testing::AddGlobalTestEnvironment(new QtEnvironment);
}  // namespace
