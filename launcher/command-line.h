#pragma once

// -h/--help and -V/--version are the only options the launcher answers. Any other word that
// starts with '-' and is not one of the toolkit's own options is a mistake worth stopping for:
// a mistyped --help must not install and start the client. Words without '-' are ignored, as
// a menu or a script may pass anything.
//
// Decides before anything else runs, not even the toolkit or a look at the home. -1 when the
// run goes on; otherwise the exit status after answering: 0 after printing the usage or the
// version, 1 when standard output could not take it, 2 after naming an unknown option on
// standard error. The first word that decides wins.
int AnswerCommandLine(int argc, char **argv);
