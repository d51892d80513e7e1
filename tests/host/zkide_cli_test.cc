// Runs the real zkide binary.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>

#include <filesystem>

#include "tests/host/host_test_support.h"

namespace {

namespace fs = std::filesystem;
using zk::test::TestPackage;

struct RunResult {
  int exit_code = -1;
  std::string out, err;
};

RunResult RunZkide(const QStringList& arguments, const std::string& program = ZK_ZKIDE_PATH) {
  QProcess process;
  process.start(QString::fromStdString(program), arguments);
  RunResult run;
  if (!process.waitForFinished(60000)) {
    process.kill();
    process.waitForFinished();
    return run;
  }
  run.exit_code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.out = process.readAllStandardOutput().toStdString();
  run.err = process.readAllStandardError().toStdString();
  return run;
}

class ZkideCliTest : public testing::Test {
 protected:
  ZkideCliTest() {
    zk::test::TestApplication();
    for (const char* name : {"tp_standard", "tp_raising", "tp_addin"})
      fs::copy_file(TestPackage(name), packages_ / (std::string(name) + ".so"));
  }
  QString Packages() const { return QString::fromStdString(packages_.path().string()); }

  zk::test::PackageLogFile log_;
  zk::test::ScopedTempDir packages_;
};

TEST_F(ZkideCliTest, ListExpertsPrintsPackagesAndExpertsAndReportsFailures) {
  RunResult run = RunZkide({"--list-experts", "--no-default-packages", "--packages", Packages()});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out,
            "tp_addin.so: Test add-in package\n"
            "  ZkTest.AddIn: ZkTest.AddIn name (style 3, add-in)\n"
            "tp_standard.so: Test standard package\n"
            "  ZkTest.Standard: ZkTest.Standard name (style 0, standard)\n");
  EXPECT_NE(run.err.find("tp_raising.so"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Test package refuses to register"), std::string::npos) << run.err;
  // Everything was freed before the exit, newest first: tp_standard.so was loaded last.
  int addin = log_.IndexOf("ZkTest.AddIn destroyed");
  int standard = log_.IndexOf("ZkTest.Standard destroyed");
  EXPECT_GE(standard, 0);
  EXPECT_GT(addin, standard);
}

TEST_F(ZkideCliTest, PackagesBesideTheProgramAreFoundWithoutOptions) {
  // The install layout: bin/zkide and lib/zkide/packages.
  zk::test::ScopedTempDir prefix;
  fs::create_directories(prefix.path() / "bin");
  fs::create_directories(prefix.path() / "lib/zkide/packages");
  fs::copy_file(ZK_ZKIDE_PATH, prefix / "bin/zkide");
  fs::copy_file(TestPackage("tp_standard"), prefix / "lib/zkide/packages/tp_standard.so");
  RunResult run = RunZkide({"--list-experts"}, prefix / "bin/zkide");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out,
            "tp_standard.so: Test standard package\n"
            "  ZkTest.Standard: ZkTest.Standard name (style 0, standard)\n");
}

TEST_F(ZkideCliTest, ProjectAndIdeDirFromTheCommandLine) {
  zk::test::ScopedTempDir work;
  std::string dpr = work.Write("proj/Demo.dpr", "program Demo;\nuses U in 'src\\U.pas';\nbegin end.\n");
  fs::create_directories(work.path() / "ide");
  RunResult run = RunZkide({"--list-experts", "--no-default-packages", "--packages", Packages(),
                      "--ide-dir", QString::fromStdString(work / "ide"),
                      QString::fromStdString(dpr)});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(log_.Count("program folder " + (work / "ide") + "/"), 1)
      << testing::PrintToString(log_.Lines());
  EXPECT_EQ(log_.Count("units 2 " + dpr + " " + (work / "proj/src/U.pas")), 1)
      << testing::PrintToString(log_.Lines());
  EXPECT_EQ(log_.Count("cwd " + fs::canonical(work.path() / "proj").string()), 1)
      << testing::PrintToString(log_.Lines());
}

TEST_F(ZkideCliTest, HelpVersionAndBadOptions) {
  RunResult help = RunZkide({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  for (const char* option : {"--list-experts", "--packages", "--ide-dir", "--version"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  RunResult version = RunZkide({"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out.rfind("zkide ", 0), 0u) << version.out;
  RunResult bad = RunZkide({"--list-experts", "--no-such-option"});
  EXPECT_NE(bad.exit_code, 0);
  EXPECT_NE(bad.err.find("no-such-option"), std::string::npos) << bad.err;
  RunResult missing = RunZkide({"--list-experts", "--no-default-packages", "--packages",
                                "/nonexistent/packages"});
  EXPECT_EQ(missing.exit_code, 0);
  EXPECT_NE(missing.err.find("/nonexistent/packages: no such folder"), std::string::npos)
      << missing.err;
}

}  // namespace
