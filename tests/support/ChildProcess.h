#pragma once

#include <QString>
#include <QStringList>

// A program that a test starts and ends itself: it runs in a process group of its own, whose
// every process is killed when the object goes, and it dies with the test process should that end
// first, so that no server outlives a failed test.
class ChildProcess {
  public:
    ChildProcess() = default;
    // Starts the program with its output, and its errors, appended to the file.
    ChildProcess(const QString& program, const QStringList& arguments, const QString& outputFile);
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;

    // False once the program has ended.
    bool Running();
    // The program's process group dies at once, as in a power cut.
    void Kill();
    // Waits at most the given time for the program to end by itself; whether it did.
    bool WaitForEnd(int milliseconds);
    // The program's exit code once it has ended, -1 when it was killed.
    int ExitCode() const { return exitCode_; }

  private:
    int pid_ = 0;
    int exitCode_ = -1;
};

// A loopback port that nothing listens on at the moment.
int FreeLoopbackPort();

// Runs a program to its end (at most two minutes) and returns its output; throws with the output
// when it fails.
QString RunToEnd(const QString& program, const QStringList& arguments);
