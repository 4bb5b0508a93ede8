// A stand-in for the Plasma shell's scripting service, for the desktop tests where the real
// shell is not installed.
//
//   plasma_stand_in RECORD
//
// Owns org.kde.plasmashell on the session bus and answers org.kde.PlasmaShell.evaluateScript
// on /PlasmaShell: each script it gets replaces the file RECORD (written beside it and renamed,
// so a reader sees one whole script) and gets an empty reply. Runs until killed; exits 1 when
// the bus or the name cannot be had.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QFile>
#include <QSaveFile>
#include <cstdio>

namespace {

const char kInterface[] = "org.kde.PlasmaShell";

class ScriptRecorder : public QDBusVirtualObject {
public:
    explicit ScriptRecorder(QString record) : record_(std::move(record)) {}

    QString introspect(const QString&) const override {
        return QStringLiteral(
            "<interface name=\"org.kde.PlasmaShell\">"
            "<method name=\"evaluateScript\"><arg name=\"script\" type=\"s\" direction=\"in\"/>"
            "<arg type=\"s\" direction=\"out\"/></method></interface>");
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() != kInterface || message.member() != "evaluateScript" ||
            message.arguments().size() != 1) {
            return false;
        }
        QSaveFile file(record_);
        const bool saved = file.open(QIODevice::WriteOnly) &&
                           file.write(message.arguments().front().toString().toUtf8()) >= 0 &&
                           file.commit();
        connection.send(saved ? message.createReply(QString())
                              : message.createErrorReply(QDBusError::Failed, file.errorString()));
        return true;
    }

private:
    QString record_;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: plasma_stand_in RECORD\n");
        return 2;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    ScriptRecorder recorder(QFile::decodeName(argv[1]));
    if (!bus.registerVirtualObject("/PlasmaShell", &recorder) ||
        !bus.registerService("org.kde.plasmashell")) {
        std::fprintf(stderr, "plasma_stand_in: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    return app.exec();
}
