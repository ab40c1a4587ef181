#pragma once

#include "support/temp_dir.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace corvath::ui::test {

// Generous: the sanitizer build starts the program slowly.
constexpr int kProcessTimeoutMs = 15000;

/// Tests that start the program itself. Qt keeps local sockets in TMPDIR: each test points it at
/// a folder of its own, for itself and the programs it starts, so the tests meet neither a
/// running Corvath nor each other.
class ProgramProcessTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Starts a program without a screen, with these arguments, in folder when one is given.
    std::unique_ptr<QProcess> Start(const std::filesystem::path& program,
                                    const QStringList& arguments = {},
                                    const std::filesystem::path& folder = {});

    /// A copy of the program in a folder of its own (named so in the test's folder), so that its
    /// settings, "options.ini" and "cd.dat", land there and not beside the built program.
    std::filesystem::path CopyOfProgram(const std::string& folderName = "program");

    /// The program as built.
    static std::filesystem::path BuiltProgram();

    static bool Ends(QProcess& process);

    corvath::test::TempDir dir_;

private:
    QByteArray savedTmpDir_;
};

/// Polls: the other process gives no sign of its own when it starts listening.
bool AnswersWithin(const QString& serverName, int timeoutMs);

} // namespace corvath::ui::test
