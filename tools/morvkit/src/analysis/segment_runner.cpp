#include "analysis/segment_runner.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "process/child_process.hpp"
#include "base/errors.hpp"
#include "process/failure.hpp"
#include "process/interrupt.hpp"

namespace morvkit {
namespace {

using FilePointer = std::unique_ptr<std::FILE, int (*)(std::FILE *)>;

[[noreturn]] void spool_failed() {
    throw Error(ExitStatus::output,
                std::string("cannot write a temporary file: ") + std::strerror(errno));
}

// A child's rows as raw doubles in its spool file, its progress in its shared report.
class SpoolObserver : public RunObserver {
  public:
    SpoolObserver(std::FILE *file, const Segment &segment, ChildReport &report)
        : file_(file), segment_(segment), report_(report) {}
    void start(const Settled &) override {}
    void row(std::span<const double> values) override {
        if (std::fwrite(values.data(), sizeof(double), values.size(), file_) != values.size())
            spool_failed();
    }
    void progress(std::int64_t done) override {
        report_.frames.store(segment_.own_frames(done), std::memory_order_relaxed);
    }

  private:
    std::FILE *file_;
    const Segment &segment_;
    ChildReport &report_;
};

// The first segment's rows straight through; progress summed over every segment.
class LeadObserver : public RunObserver {
  public:
    LeadObserver(RunObserver &observer, const Segment &segment, SharedReports &reports)
        : observer_(observer), segment_(segment), reports_(reports) {}
    void start(const Settled &settled) override { observer_.start(settled); }
    void row(std::span<const double> values) override { observer_.row(values); }
    void progress(std::int64_t done) override {
        own_ = segment_.own_frames(done);
        report();
    }
    void report() {
        std::int64_t total = own_;
        for (std::size_t i = 1; i < reports_.size(); ++i)
            total += reports_[i].frames.load(std::memory_order_relaxed);
        observer_.progress(total);
    }

  private:
    RunObserver &observer_;
    const Segment &segment_;
    SharedReports &reports_;
    std::int64_t own_ = 0;
};

int run_child(const Segment &segment, const SegmentRun &run, std::FILE *spool,
              ChildReport &report) {
    try {
        SpoolObserver observer(spool, segment, report);
        report.extent.store(run(segment, observer));
        if (std::fflush(spool) != 0)
            spool_failed();
        return 0;
    } catch (...) {
        const Failure failure = describe_failure(std::current_exception());
        report.set_message(failure.message.c_str());
        return failure.status;
    }
}

void replay(std::FILE *spool, std::size_t columns, RunObserver &observer) {
    std::rewind(spool);
    std::vector<double> row(columns);
    while (std::fread(row.data(), sizeof(double), columns, spool) == columns) observer.row(row);
    if (std::ferror(spool))
        throw Error(ExitStatus::output,
                    std::string("cannot read a temporary file: ") + std::strerror(errno));
}

}  // namespace

std::int64_t run_segments(const std::vector<Segment> &segments, std::size_t columns,
                          const SegmentRun &run, RunObserver &observer) {
    if (segments.size() <= 1)
        return run(segments.empty() ? Segment{} : segments[0], observer);

    const InterruptChecks checks;
    SharedReports reports(segments.size());
    std::vector<FilePointer> spools;
    std::vector<std::unique_ptr<ChildProcess>> children;  // stopped and reaped however we leave
    for (std::size_t k = 1; k < segments.size(); ++k) {
        std::FILE *spool = std::tmpfile();
        if (!spool)
            spool_failed();
        spools.emplace_back(spool, std::fclose);
        children.push_back(std::make_unique<ChildProcess>(
            [&, k, spool] { return run_child(segments[k], run, spool, reports[k]); }));
    }

    LeadObserver lead(observer, segments[0], reports);
    std::int64_t extent = run(segments[0], lead);
    for (std::size_t k = 1; k < segments.size(); ++k) {
        const int status = children[k - 1]->wait([&] {
            check_interrupt();
            lead.report();
        });
        check_interrupt();
        if (status != 0) {
            const std::string why = reports[k].message[0] != '\0'
                                        ? reports[k].message
                                        : "a process analysing part of the input ended with "
                                          "status " +
                                              std::to_string(status);
            throw Error(exit_status_of(status), why);
        }
        replay(spools[k - 1].get(), columns, observer);
        lead.report();
        extent = std::max(extent, reports[k].extent.load());
    }
    return extent;
}

}  // namespace morvkit
