#pragma once

#include <QByteArray>

// A short hex name for the user's home, the same however the path to it is spelled: the
// launcher's runtime lock and its raise channel are named after it.
QByteArray HomeDigest();
