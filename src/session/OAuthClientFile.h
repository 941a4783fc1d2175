#pragma once

#include "services/GoogleCredential.h"

#include <QString>

namespace kinoloom {

// The OAuth client of a desktop-client file as Google Cloud hands it out: the "client_id" and
// "client_secret" strings of its "installed" section (other members are ignored), with no
// account connected yet. A file that cannot be read, or is not JSON, fails with a sentence
// naming it; JSON of any other shape fails with the sentence that asks for a desktop client.
GoogleCredential readOAuthClientFile(const QString &path);

} // namespace kinoloom
