#pragma once

#include <QString>

// Every test process runs with HOME, XDG_DATA_HOME and XDG_CONFIG_HOME pointing into a
// temporary directory of its own, made before anything reads a path.
namespace TestEnvironment {

// The temporary home of this process.
QString home();
// A fresh, empty directory below the temporary home.
QString makeScratchDir(const QString& name);
// The source tree and the build tree (for test data and the built programs).
QString sourceDir();
QString binaryDir();

} // namespace TestEnvironment
