#pragma once

// The program as a user has it, for the tests of whole commands: started by
// the start-up on the files of a directory, with its main window open.

#include "app/startup.h"
#include "qt_doubles.h"
#include "temp_dir.h"
#include "test_doubles.h"
#include "ui/form1.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace zelmora::test {

// The program as a user has it: started by the start-up on the files of a
// directory, with its main window open.
class RunningProgram : public ::testing::Test {
protected:
    void start() {
        Main(state_, {dir_.path(), {}, clock_, doubles_.random}, [this] {
            window_ = std::make_unique<Form1>(state_, dir_.path(), doubles_.services());
        });
        ASSERT_NE(window_, nullptr);
    }

    void click(const char* name) {
        QTest::mouseClick(Child<QPushButton>(*window_, name), Qt::LeftButton);
    }
    QString shown(const char* label) { return Child<QLabel>(*window_, label)->text(); }
    const std::vector<RecordingMessages::Message>& messages() { return doubles_.messages.messages; }

    // Starts as the program does and checks that the start-up did not wait.
    void startWithin(std::chrono::seconds limit) {
        const auto begin = std::chrono::steady_clock::now();
        start();
        EXPECT_LT(std::chrono::steady_clock::now() - begin, limit);
    }

    TempDir dir_;
    FixedClock clock_{1}; // 1 January: phrase 2 of several
    Module1 state_;
    Doubles doubles_;
    std::unique_ptr<Form1> window_;
};

} // namespace zelmora::test
