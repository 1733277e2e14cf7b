#pragma once

// For test programs that really remove files: they must run inside the
// harness's read-only sandbox (tests/harness/run-test.sh --sandbox).

#include <QDir>
#include <QFile>
#include <QString>
#include <QtGlobal>

namespace TestSandbox
{

// Root of the machine, not the root of a user namespace (whose powers stop at
// the files of the user who made it).
inline bool isRealRoot()
{
    QFile map(QStringLiteral("/proc/self/uid_map"));
    if (!map.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> fields = map.readLine().simplified().split(' ');
    return fields.size() == 3 && fields.at(0) == "0" && fields.at(1) == "0" &&
           fields.at(2) == "4294967295";
}

// The sandbox folder, or an empty string with a reason when this process is
// not confined to it.
inline QString confinedRoot(QString* whyNot)
{
    const QString root = qEnvironmentVariable("UNINSTALLER_TEST_SANDBOX");
    if (root.isEmpty() || !QDir::isAbsolutePath(root) ||
        QDir::cleanPath(root) == QLatin1String("/")) {
        *whyNot = QStringLiteral("not started by run-test.sh --sandbox");
        return QString();
    }
    const QString inside = root + QLatin1Char('/');
    const QString home = QDir::homePath() + QLatin1Char('/');
    const QString temp = QDir::tempPath() + QLatin1Char('/');
    if (!home.startsWith(inside) || !temp.startsWith(inside)) {
        *whyNot = QStringLiteral("HOME or TMPDIR lies outside the sandbox");
        return QString();
    }
    // A write outside must fail; if one succeeds the file system is not read-only.
    const QString parent = QDir::cleanPath(root + QLatin1String("/.."));
    for (const QString& outside : {QStringLiteral("/"), parent}) {
        QFile probe(outside + QLatin1String("/.uninstaller-test-probe"));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.close();
            probe.remove();
            *whyNot = outside + QStringLiteral(" is writable: the file system is not read-only");
            return QString();
        }
    }
    return root;
}

} // namespace TestSandbox

// In initTestCase(): stops the whole test program unless it is confined.
#define REQUIRE_SANDBOX()                                                                          \
    do {                                                                                           \
        QString whyNot_;                                                                           \
        if (TestSandbox::confinedRoot(&whyNot_).isEmpty())                                         \
            QFAIL(qPrintable(QStringLiteral("refusing to remove anything: ") + whyNot_));          \
    } while (false)
