#pragma once

#include <QString>

// Every test runs with HOME, XDG_DATA_HOME and XDG_CONFIG_HOME pointing into a temporary
// directory of its own, made before the test reads a path: tests never see each other's
// files, whether each runs in a process of its own or all of a program run in one.
namespace TestEnvironment {

// The temporary directory of this process, below which every test's home is made:
// $TMPDIR/voranth-test-TAG-XXXXXX, TAG naming the build tree (see tools/check-leftovers.sh).
QString root();
// The temporary home of the running test.
QString home();
// Makes a fresh, empty home for the test of that name and points the environment at it.
void enterFreshHome(const QString& testName);
// In the child process of a death test, which runs its test body only: whether this is one,
// and going on in the home of the test that started it.
bool isDeathTestChild();
void enterHomeOfParentTest();
// A fresh, empty directory below the temporary home.
QString makeScratchDir(const QString& name);
// The source tree and the build tree (for test data and the built programs).
QString sourceDir();
QString binaryDir();

} // namespace TestEnvironment
