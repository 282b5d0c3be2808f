#pragma once
// Where lumaro-probe lies: beside the running program in the build tree, in the program's
// private folder once installed (PROBE_FOLDER relative to the programs' folder, fixed at build
// time to match the installation).
#include <QString>

namespace ProbeLocation {

inline constexpr char ProgramName[] = "lumaro-probe";

// The probe for programs in that folder: the first of <folder>/lumaro-probe and
// <folder>/<installed relative folder>/lumaro-probe that is an executable file; empty when
// neither is.
QString findFrom(const QString &programFolder);
// The folder of the running program's executable (with a trailing "/"); empty if unknown.
QString runningProgramFolder();
// findFrom(runningProgramFolder()).
QString find();

} // namespace ProbeLocation
