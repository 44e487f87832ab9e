#pragma once

#include <QString>

namespace mv::Redactor {

// The line with secrets masked by "•••": the value after password, passphrase, secret or token followed by
// "=" or ":" (also as a quoted key, "access_token": "…"), a "Bearer" credential, and the argument after
// ssh-askpass. The keywords count also inside a word, and a value that is itself a keyword is masked
// together with the value that follows it. Safe to call from any thread.
QString redact(const QString& line);

} // namespace mv::Redactor
