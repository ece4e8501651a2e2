// batch.hpp - many inputs, one result each in --output-dir.
//
// Each input's result is `result_name` in the folder (made if missing).  Inputs whose result
// exists are skipped unless --force; with --shard only the shard's inputs are looked at.  The
// inputs run in child processes, --jobs at once (an input alone, or a few, get the spare jobs
// for segments of their own).  A failing input is reported on stderr as "morvkit: FILE: what went
// wrong" while the others go on; at the end, if any failed, the command fails with the first
// failure's status (in the order given) and a line that counts them.  Two inputs that would
// write the same result are refused before anything runs.
#pragma once

#include "cli/options.hpp"

namespace morvkit {

void run_batch(const Options &options);

}  // namespace morvkit
