#include "program_process.h"
#include "ui/single_instance.h"

#include <QProcessEnvironment>
#include <QSignalSpy>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace corvath::ui {
namespace {

using test::kProcessTimeoutMs;

class CommandLineTest : public test::ProgramProcessTest {
protected:
    void SetUp() override
    {
        ProgramProcessTest::SetUp();
        // Made once TMPDIR points at the test's folder, where the programs look.
        running_ = std::make_unique<InstanceServer>();
        ASSERT_TRUE(running_->IsListening());
        activations_ =
            std::make_unique<QSignalSpy>(running_.get(), &InstanceServer::activationRequested);
    }

    // Ends with the status of the program run with these arguments.
    int Run(QProcess& process)
    {
        // The event loop runs, so that a hand-over to the running instance would arrive.
        QSignalSpy finished(&process, &QProcess::finished);
        EXPECT_TRUE(finished.wait(kProcessTimeoutMs)) << "the program kept running";
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        return process.exitCode();
    }

    // Stands for a running Corvath: none of these starts may reach it.
    std::unique_ptr<InstanceServer> running_;
    std::unique_ptr<QSignalSpy> activations_;
};

// Help and version are answered without a display: one that cannot be reached would end the
// program before it printed anything.
TEST_F(CommandLineTest, HelpAndVersionNeedNoDisplayNorTheRunningInstance)
{
    for (const char* option : {"--help", "-h", "--version", "-v"}) {
        SCOPED_TRACE(option);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("TMPDIR", QString::fromStdString(dir_.path().string()));
        process.setProcessEnvironment(environment);
        process.start(QString::fromStdString(BuiltProgram().string()), {option, "disc.cue"});
        ASSERT_EQ(Run(process), 0) << process.readAllStandardError().toStdString();
        const QString output = QString::fromLocal8Bit(process.readAllStandardOutput());
        if (QString(option).contains('v')) {
            EXPECT_EQ(output, "Corvath " CORVATH_VERSION "\n");
        } else {
            EXPECT_TRUE(output.startsWith("Usage: ")) << output.toStdString();
            EXPECT_TRUE(output.contains("/corvath [options] [image]\n")) << output.toStdString();
            for (const char* shown : {"--version", "--help", ".cue", "One at most"})
                EXPECT_TRUE(output.contains(shown)) << shown << " in " << output.toStdString();
        }
    }
    EXPECT_EQ(activations_->count(), 0);
}

TEST_F(CommandLineTest, AWrongCommandLineIsToldAndEndsTheStart)
{
    const struct {
        QStringList arguments;
        const char* told;
    } wrong[] = {
        {{"--frobnicate"}, "Unknown option 'frobnicate'."},
        {{"one.cue", "two.cue"}, "Give one disc image at a time."},
    };
    for (const auto& [arguments, told] : wrong) {
        SCOPED_TRACE(told);
        const auto process = Start(BuiltProgram(), arguments);
        EXPECT_EQ(Run(*process), 2);
        EXPECT_TRUE(process->readAllStandardError().contains(told));
    }
    EXPECT_EQ(activations_->count(), 0);
}

} // namespace
} // namespace corvath::ui
