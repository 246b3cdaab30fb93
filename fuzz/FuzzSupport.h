#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// What every harness shares: a process-wide temporary home (HOME and the XDG directories
// point into it before anything reads a path), a Qt application object, and a way to stop
// with a message when a parser breaks one of its promises.
namespace FuzzSupport {

// Sets up the temporary home and the application; call from LLVMFuzzerInitialize.
void initialize(int* argc, char*** argv);

// The temporary home of this process.
QString home();
// A directory below the temporary home, made on the first call with that name.
QString directory(const QString& name);

QByteArray bytes(const uint8_t* data, size_t size);
// Replaces the whole content of a file below the temporary home.
void writeFile(const QString& path, const QByteArray& bytes);

// Reports the broken promise and aborts, so that libFuzzer keeps the input.
[[noreturn]] void fail(const char* what, const QString& detail = QString());

} // namespace FuzzSupport
