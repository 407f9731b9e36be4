// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <pwd.h>
#include <unistd.h>

namespace telvar::test {

// A PostgreSQL server of a test program's own: a cluster made with initdb in a temporary folder,
// listening on a Unix socket there only, with password authentication for its one user. The server
// refuses to run as root, so when the tests do, it runs as the unprivileged user `nobody`. Started once
// per test program; stopped and removed with the object.
class ThrowawayPostgres {
public:
    static constexpr const char* kUser = "telvar";
    static constexpr const char* kPassword = "team-secret";

    ~ThrowawayPostgres() { stop(); }

    // Makes the cluster (first time) and starts the server; false with whyNot() when PostgreSQL is not
    // installed here or would not start.
    bool start() {
        if (!m_folder.isValid())
            return fail(QStringLiteral("no temporary folder"));
        if (m_bin.isEmpty() && !findServer())
            return false;
        const bool fresh = !QFile::exists(data() + QStringLiteral("/PG_VERSION"));
        if (fresh && !makeCluster())
            return false;
        const QString options = QStringLiteral("-k %1 -c listen_addresses='' -c fsync=off").arg(socket());
        if (!run(QStringLiteral("pg_ctl"),
                 {QStringLiteral("-D"), data(), QStringLiteral("-l"), data() + QStringLiteral("/server.log"),
                  QStringLiteral("-w"), QStringLiteral("-o"), options, QStringLiteral("start")}))
            return false;
        return !fresh || makeDatabase();
    }

    // Stops the server at once (as a crash or a pulled cable would look to a client).
    bool stop() {
        if (m_bin.isEmpty() || !QFile::exists(data() + QStringLiteral("/postmaster.pid")))
            return true;
        return run(QStringLiteral("pg_ctl"),
                   {QStringLiteral("-D"), data(), QStringLiteral("-m"), QStringLiteral("immediate"),
                    QStringLiteral("-w"), QStringLiteral("stop")});
    }

    QString whyNot() const { return m_why; }
    // The team journal's URL for database `database` (made by start(): "telvar").
    QString url(const QString& user = QString::fromLatin1(kUser)) const {
        return QStringLiteral("postgresql://%1@/telvar?host=%2").arg(user, socket());
    }
    QString socket() const { return m_folder.path() + QStringLiteral("/socket"); }

private:
    QString data() const { return m_folder.path() + QStringLiteral("/data"); }

    bool fail(const QString& why) {
        m_why = why;
        return false;
    }

    bool findServer() {
        QStringList places{QStandardPaths::findExecutable(QStringLiteral("pg_ctl"))};
        const QStringList versions =
            QDir(QStringLiteral("/usr/lib/postgresql"))
                .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed);
        for (const QString& version : versions)
            places << QStringLiteral("/usr/lib/postgresql/%1/bin/pg_ctl").arg(version);
        for (const QString& place : places) {
            // A link in PATH leads to the folder of the server's programs (createdb beside pg_ctl).
            const QString folder = QFileInfo(QFileInfo(place).canonicalFilePath()).absolutePath();
            if (!place.isEmpty() && QFile::exists(folder + QStringLiteral("/initdb")) &&
                QFile::exists(folder + QStringLiteral("/createdb"))) {
                m_bin = folder;
                return true;
            }
        }
        return fail(QStringLiteral("PostgreSQL's initdb and pg_ctl are not installed (Debian: postgresql)"));
    }

    // The folders belong to the server's user; as root that is `nobody`, who must reach them too.
    bool makeCluster() {
        QFile::setPermissions(m_folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                   QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                                   QFile::ExeOther);
        for (const QString& folder : {data(), socket()}) {
            if (!QDir().mkpath(folder))
                return fail(QStringLiteral("cannot make %1").arg(folder));
            if (geteuid() == 0) {
                const passwd* nobody = getpwnam("nobody");
                if (!nobody ||
                    chown(QFile::encodeName(folder).constData(), nobody->pw_uid, nobody->pw_gid) != 0)
                    return fail(QStringLiteral("cannot hand %1 to the user nobody").arg(folder));
            }
        }
        const QString passwordFile = m_folder.path() + QStringLiteral("/password");
        QFile password(passwordFile);
        if (!password.open(QIODevice::WriteOnly) || password.write(kPassword) < 0)
            return fail(QStringLiteral("cannot write %1").arg(passwordFile));
        password.close();
        password.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        if (!run(QStringLiteral("initdb"),
                 {QStringLiteral("-D"), data(), QStringLiteral("-U"), QString::fromLatin1(kUser),
                  QStringLiteral("--pwfile=") + passwordFile, QStringLiteral("--auth=scram-sha-256"),
                  QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--no-sync")}))
            return false;
        QFile::remove(passwordFile);
        return true;
    }

    // The database the tests' URL names, made through the server itself.
    bool makeDatabase() {
        QProcess createdb;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PGPASSWORD"), QString::fromLatin1(kPassword));
        createdb.setProcessEnvironment(environment);
        createdb.start(m_bin + QStringLiteral("/createdb"),
                       {QStringLiteral("-h"), socket(), QStringLiteral("-U"), QString::fromLatin1(kUser),
                        QStringLiteral("telvar")});
        const bool made = createdb.waitForFinished(30000) && createdb.exitCode() == 0;
        return made || fail(QStringLiteral("createdb failed: %1")
                                .arg(QString::fromLocal8Bit(createdb.readAllStandardError())));
    }

    bool run(const QString& tool, const QStringList& arguments) {
        QProcess process;
        process.setWorkingDirectory(m_folder.path());
        process.setProcessChannelMode(QProcess::MergedChannels);
        const QString program = m_bin + u'/' + tool;
        const passwd* nobody = geteuid() == 0 ? getpwnam("nobody") : nullptr;
        if (nobody)
            process.start(QStringLiteral("setpriv"),
                          QStringList{QStringLiteral("--reuid=%1").arg(nobody->pw_uid),
                                      QStringLiteral("--regid=%1").arg(nobody->pw_gid),
                                      QStringLiteral("--clear-groups"), program} +
                              arguments);
        else
            process.start(program, arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            return fail(QStringLiteral("%1 failed: %2").arg(tool, QString::fromLocal8Bit(process.readAll())));
        return true;
    }

    QTemporaryDir m_folder{QStringLiteral("/tmp/telvar-pg-XXXXXX")};
    QString m_bin;
    QString m_why;
};

} // namespace telvar::test
