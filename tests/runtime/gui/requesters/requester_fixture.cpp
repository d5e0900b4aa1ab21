// The test process: a temporary HOME and XDG_CONFIG_HOME, one QApplication and the string
// library, set up before the first test; and the dialog driver of the fixture.
#include "requester_fixture.h"

#include "runtime/core/strings/strings.h"

#include <QApplication>

#include <cstdlib>
#include <memory>

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        home_ = std::make_unique<TemporaryHome>();
        static int argc = 1;
        static char name[] = "test_requesters";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
        InitStringBuffer();
    }
    void TearDown() override {
        EndStrings();
        app_.reset();
        home_.reset();
    }
    static QString Home() { return home_ ? home_->home() : QString(); }
    static QString ConfigHome() { return home_ ? home_->config() : QString(); }

private:
    static inline std::unique_ptr<TemporaryHome> home_;
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

QString TestHome() {
    return QtEnvironment::Home();
}

QString TestConfigHome() {
    return QtEnvironment::ConfigHome();
}

void RequesterTest::SetUp() {
    TempOffset = 0;
    driver_.Start();
}

void RequesterTest::TearDown() {
    driver_.Stop();
}
