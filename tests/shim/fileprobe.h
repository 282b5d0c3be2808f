#pragma once
// A test's view of what the program asks of the disk. Linked into a test, or preloaded into
// lumaro-cli (LD_PRELOAD), it stands between the program and the C library's fdatasync, fsync,
// rename and unlink: it records each call that succeeds, one line per call, and it can damage
// the program's temporary files (".lumaro-XXXXXXXX.tmp") once they are flushed, as a failing
// disk would, before the program reads them back.
//
// Preloaded, it is set up by the environment: LUMARO_PROBE_LOG names the record (appended to),
// LUMARO_PROBE_DAMAGE a reference file: a temporary file whose bytes differ from that file's
// gets one byte changed in its middle. So a copy that is the source's very bytes goes through,
// and a photo turned from it is damaged.
//
// The record's lines: "fdatasync\tPATH", "fsync\tPATH" (PATH from /proc/self/fd, absolute),
// "rename\tFROM\tTO", "unlink\tPATH" (as the program gave them), "damaged\tPATH".
namespace FileProbe {

// Linked into a test: starts recording into logPath (and damaging against damageReference when
// it is not null) until stop().
void start(const char *logPath, const char *damageReference = nullptr);
void stop();

} // namespace FileProbe
