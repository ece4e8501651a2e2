#include "run_command.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "wav_fixture.hpp"

namespace morvkit::testing {

namespace {

// Standard input as a pipe that a process of its own fills with the file's bytes, so that the
// command cannot seek it.
void feed_through_pipe(const std::filesystem::path &file) {
    int ends[2];
    if (pipe(ends) != 0)
        _exit(127);
    if (fork() == 0) {
        close(ends[0]);
        const std::string bytes = read_text(file);
        for (std::size_t at = 0; at < bytes.size();) {
            const ssize_t n = write(ends[1], bytes.data() + at, bytes.size() - at);
            if (n <= 0)
                _exit(0);  // the reader has gone
            at += static_cast<std::size_t>(n);
        }
        _exit(0);
    }
    close(ends[1]);
    dup2(ends[0], STDIN_FILENO);
    close(ends[0]);
}

// Starts the command with its standard output and error in files, and its standard input from
// `in` when given: through a pipe, or (`redirected`) the file itself, as `< in` gives it.
pid_t start(const std::vector<std::string> &args, const std::string &out, bool append,
            const std::filesystem::path &err, const std::filesystem::path &in = {},
            bool redirected = false) {
    // The emulator's words first (a cross build's), then the command.
    std::vector<std::string> argv_text;
    std::istringstream emulator(MORVKIT_EMULATOR);
    for (std::string word; emulator >> word;) argv_text.push_back(word);
    argv_text.push_back(MORVKIT_EXE);
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (auto &a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        setpgid(0, 0);  // a group of its own, which a test may kill whole
        const int out_fd =
            open(out.c_str(), O_WRONLY | O_CREAT | (append ? O_APPEND : O_TRUNC), 0644);
        const int err_fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out_fd < 0 || err_fd < 0)
            _exit(127);
        dup2(out_fd, STDOUT_FILENO);
        dup2(err_fd, STDERR_FILENO);
        if (!in.empty() && !redirected)
            feed_through_pipe(in);
        if (redirected) {
            const int in_fd = open(in.c_str(), O_RDONLY);
            if (in_fd < 0)
                _exit(127);
            dup2(in_fd, STDIN_FILENO);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

int wait_for(pid_t pid) {
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
}

}  // namespace

CommandResult run_morvkit(const std::vector<std::string> &args, const std::string &out,
                          bool append) {
    ScratchDir dir;
    CommandResult result;
    result.status = wait_for(start(args, out, append, dir / "stderr"));
    result.err = read_text(dir / "stderr");
    return result;
}

CommandResult run_morvkit_piped(const std::filesystem::path &in,
                                const std::vector<std::string> &args, bool redirected) {
    ScratchDir dir;
    CommandResult result;
    result.status = wait_for(start(args, dir / "stdout", false, dir / "stderr", in, redirected));
    result.out = read_text(dir / "stdout");
    result.err = read_text(dir / "stderr");
    return result;
}

CommandResult run_morvkit(const std::vector<std::string> &args) {
    ScratchDir dir;
    const auto out = dir / "stdout";
    CommandResult result = run_morvkit(args, out, false);
    result.out = read_text(out);
    return result;
}

RunningCommand::RunningCommand(const std::vector<std::string> &args) {
    std::string pattern = (std::filesystem::temp_directory_path() / "morvkit-run-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a scratch folder");
    dir_ = pattern;
    pid_ = start(args, dir_ / "stdout", false, dir_ / "stderr");
}

RunningCommand::~RunningCommand() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        wait_for(pid_);
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

void RunningCommand::signal(int signal) const {
    kill(pid_, signal);
}

std::string RunningCommand::err() const {
    return read_text(dir_ / "stderr");
}

CommandResult RunningCommand::wait() {
    CommandResult result;
    result.status = wait_for(std::exchange(pid_, -1));
    result.out = read_text(dir_ / "stdout");
    result.err = read_text(dir_ / "stderr");
    return result;
}

std::vector<std::vector<std::string>> split_csv(const std::string &text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> cells;
        std::istringstream fields(line);
        std::string cell;
        while (std::getline(fields, cell, ',')) cells.push_back(cell);
        rows.push_back(cells);
    }
    return rows;
}

std::vector<std::vector<double>> csv_numbers(const std::string &text) {
    auto cells = split_csv(text);
    std::vector<std::vector<double>> rows;
    for (std::size_t r = 1; r < cells.size(); ++r) {
        std::vector<double> row;
        for (const auto &cell : cells[r]) row.push_back(std::strtod(cell.c_str(), nullptr));
        rows.push_back(row);
    }
    return rows;
}

}  // namespace morvkit::testing
