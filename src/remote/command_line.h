#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

#include "remote/remote_actions.h"

namespace quel {

// One action asked of the running program: a verb and its arguments, as the request line carries it.
struct RemoteRequest {
    QString verb;
    QStringList arguments;
    bool operator==(const RemoteRequest&) const = default;
};

// What the words after the program's name ask for.
struct CommandLine {
    enum class Kind {
        StartProgram,  // no verb: the program starts as it always has (Qt's own options included)
        Help,          // --help: the usage is printed
        Request,       // a verb for the running program
        Invalid,       // words that make no request: `message` says why
    };
    Kind kind = Kind::StartProgram;
    RemoteRequest request;
    QString message;
};

// `arguments` without the program's name. A file or list named relative to `workingFolder` is made
// absolute here, since the running program has a working folder of its own.
CommandLine parseCommandLine(const QStringList& arguments, const QString& workingFolder);
QString usageText();

// The exit statuses of a command-line request.
namespace exit_status {
inline constexpr int kDone = 0;
inline constexpr int kRefused = 1;     // the running program could not do it
inline constexpr int kUsage = 2;       // the words made no request
inline constexpr int kNotRunning = 3;  // no program answered
}  // namespace exit_status

// The request line and the answer line, each one line of UTF-8 JSON closed by "\n". The line
// "activate" that a second start sends stays what it was.
QByteArray requestLine(const RemoteRequest& request);
// False when the line is not a request.
bool parseRequestLine(const QByteArray& line, RemoteRequest* request);
QByteArray answerLine(const ActionResult& result);
// An answer that is not one (a program of another version, a cut connection) reads as a refusal.
ActionResult parseAnswerLine(const QByteArray& line);

// Carries out one request line on `actions` and gives the answer line.
QByteArray answerRequest(RemoteActions& actions, const QByteArray& line);
// The same for every verb, the campus's included: `reply` gets the answer line once, when the action
// has ended, which for a follower's fetch is after this returns.
void answerRequestLater(RemoteActions& actions, const QByteArray& line,
                        const std::function<void(const QByteArray&)>& reply);
// The status as one line a person reads, and a line for each campus fact after it.
QString statusText(const RemoteStatus& status);

}  // namespace quel
