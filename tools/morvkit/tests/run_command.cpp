#include "run_command.hpp"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "wav_fixture.hpp"

namespace morvkit::testing {

CommandResult run_morvkit(const std::vector<std::string> &args) {
    ScratchDir dir;
    const auto out_path = dir / "stdout", err_path = dir / "stderr";
    std::vector<std::string> argv_text{MORVKIT_EXE};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (auto &a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0)
            _exit(127);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    CommandResult result;
    result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    result.out = read_text(out_path);
    result.err = read_text(err_path);
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
