#pragma once
// Reads the table engine keeps part-way (sqlite::ReadPass) end whenever
// this thread's event loop is about to wait, so that whatever the grids,
// memos and loops of one event read, no table file stays locked while the
// program is idle. Every data link installs it; installing it again does
// nothing.
namespace platform {

void EndReadsWhenIdle();

}  // namespace platform
