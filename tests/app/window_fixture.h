#pragma once
// A main window on the web view's test double, in a program folder of its own.

#include "app/controls.h"
#include "app/mainwindow.h"
#include "app/wiring.h"
#include "common/lifecycle.h"
#include "common/paths.h"
#include "support/fakewebview.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

class WindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        paths::fix(folder.filePath(QStringLiteral("sorvane")));
        lifecycle::setStage(lifecycle::Stage::Starting);
        window = std::make_unique<app::MainWindow>(testing_support::fakeFactory(&view));
        app::wire(*window);
        lifecycle::setStage(lifecycle::Stage::Running);
    }

    void TearDown() override
    {
        lifecycle::setStage(lifecycle::Stage::Starting);
        window.reset();
    }

    QString file(const QString& name) const { return folder.filePath(name); }

    QTemporaryDir folder;
    testing_support::FakeWebView* view = nullptr;
    std::unique_ptr<app::MainWindow> window;
};
