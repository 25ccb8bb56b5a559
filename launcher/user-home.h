#pragma once

#include <string>

// Makes HOME name the user's home before anything reads it. Without HOME, or with a relative
// one, the toolkit would take / or the working folder for the home and install the client
// there; the user database knows the real one, and the start script and the client inherit
// the value set here. What was done, in words for the log; empty when HOME was kept.
std::string SettleHomeVariable();

// A home whose name is not in the file-name encoding has no exact form in the registry; a lossy
// one would name another directory beside the home and install the client there.
bool HomeNameIsExact();
