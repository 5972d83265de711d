#include "ChildProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

ChildProcess::ChildProcess(const QString& program, const QStringList& arguments,
                           const QString& outputFile) {
    // Everything the child needs is made before the fork: after it, the child may only call
    // what is safe in a copy of a process with threads.
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) {
        throw std::runtime_error("cannot find the program " + program.toStdString());
    }
    std::vector<std::string> texts{QFile::encodeName(path).toStdString()};
    for (const QString& argument : arguments) {
        texts.push_back(argument.toStdString());
    }
    std::vector<char*> argv;
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    const int output = open(QFile::encodeName(outputFile).constData(),
                            O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (output < 0) {
        throw std::runtime_error("cannot write " + outputFile.toStdString());
    }
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) {
            _exit(127);
        }
        dup2(output, STDOUT_FILENO);
        dup2(output, STDERR_FILENO);
        // The test's own connections stay its own: a server holding a copy would keep them open.
        close_range(3, ~0U, 0);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(output);
    if (pid < 0) {
        throw std::runtime_error("cannot start " + program.toStdString());
    }
    // Also here, so that the group exists before the first Kill whichever process runs first.
    setpgid(pid, pid);
    pid_ = pid;
}

ChildProcess::~ChildProcess() {
    Kill();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, 0)), exitCode_(other.exitCode_) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        Kill();
        pid_ = std::exchange(other.pid_, 0);
        exitCode_ = other.exitCode_;
    }
    return *this;
}

bool ChildProcess::Running() {
    if (pid_ <= 0) {
        return false;
    }
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_) {
        return true;
    }
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    pid_ = 0;
    return false;
}

void ChildProcess::Kill() {
    if (pid_ <= 0) {
        return;
    }
    kill(-pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    exitCode_ = -1;
    pid_ = 0;
}

bool ChildProcess::WaitForEnd(int milliseconds) {
    QElapsedTimer waited;
    waited.start();
    while (Running()) {
        if (waited.elapsed() > milliseconds) {
            return false;
        }
        QThread::msleep(50);
    }
    return true;
}

int FreeLoopbackPort() {
    const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(s);
        throw std::runtime_error("no free loopback port");
    }
    close(s);
    return ntohs(address.sin_port);
}

QString RunToEnd(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(120000);
    const QString output = QString::fromLocal8Bit(process.readAll());
    if (!ended || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        throw std::runtime_error(
            (program + u' ' + arguments.join(u' ') + u'\n' + output).toStdString());
    }
    return output;
}
