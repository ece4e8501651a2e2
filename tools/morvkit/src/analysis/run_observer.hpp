// run_observer.hpp - what an analysis run reports while it goes.
//
// Runs hand over each row as soon as the host has delivered it, so a caller can write rows out
// as they come and keep nothing.  The observer is called from the run's own loop, never from
// inside the host's or an object's routines, so it may throw (a write error, an interruption).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "analysis/settled.hpp"
#include "base/table.hpp"

namespace morvkit {

class RunObserver {
  public:
    virtual ~RunObserver() = default;
    // Once, after the first samples were read and before the first row: what the run settled
    // on, as the object derived it.
    virtual void start(const Settled &settled) = 0;
    virtual void row(std::span<const double> values) = 0;
    // The input frames consumed so far, after each step.
    virtual void progress(std::int64_t frames_done) { (void)frames_done; }
};

// Keeps every row: for short inputs such as the demo's phrase, and for measurements.
class TableObserver : public RunObserver {
  public:
    explicit TableObserver(std::vector<std::string> columns) : rows(std::move(columns)) {}
    void start(const Settled &run_settled) override { settled = run_settled; }
    void row(std::span<const double> values) override { rows.add_row(values); }

    Table rows;
    Settled settled;
};

}  // namespace morvkit
