#pragma once

// -h/--help and -V/--version, the only arguments the launcher answers; it ignores every other
// one, as a menu or a script may pass anything.
//
// When one of them is among the arguments, prints the usage or the version on standard output
// and returns true: the caller exits with status 0 and does nothing else, not even look at the
// home. The first of them decides.
bool AnswerHelpOrVersion(int argc, char **argv);
