#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace quel {

// An input of the sound server that a radio can be wired to.
struct InputSource {
    QString name;         // what the server knows it by, and what RadioSource.txt keeps
    QString description;  // what the operator reads
    friend bool operator==(const InputSource&, const InputSource&) = default;
};

// The radio receiver on the sound card's line input, heard on the loudspeakers or silenced. Requests
// are answered later, in order, while the program goes on; a failure (no sound server, the input
// gone) is reported only by the answer, since nothing the operator could do would help the schedule.
class LineIn : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~LineIn() override = default;

    // On: the radio from `source` (a source name; empty: the default input) is heard on the default
    // output. Off: it is silenced, whatever source it comes from. Asking twice changes nothing.
    virtual void setOn(bool on, const QString& source) = 0;
    // The machine's inputs, monitors of outputs left out; answered by `sourcesListed`.
    virtual void listSources() = 0;

signals:
    // One per `setOn`: whether the radio is now as asked, and if not, why (the server's word).
    void finished(bool ok, const QString& failure);
    // One per `listSources`; empty when the server cannot be reached.
    void sourcesListed(const QList<quel::InputSource>& sources);
};

}  // namespace quel
