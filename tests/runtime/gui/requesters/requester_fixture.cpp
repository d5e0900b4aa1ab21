#include "requester_fixture.h"

#include <QApplication>

#include <memory>

namespace {

std::unique_ptr<TemporaryHome> home;

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        home = std::make_unique<TemporaryHome>();
        app_ = std::make_unique<QApplication>(argc_, argv_);
        InitStringBuffer();
    }
    void TearDown() override {
        EndStrings();
        app_.reset();
        home.reset();
    }

private:
    int argc_ = 1;
    char name_[16] = "test_requesters";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

const TemporaryHome& RequesterTest::Home() {
    return *home;
}
