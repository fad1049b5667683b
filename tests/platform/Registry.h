// Class registrations for the runtime tests. On Linux they go into folders of the test's own, so
// tests running side by side never see each other's registrations and nothing of the user's is
// read; on Windows into the machine-wide class keys, removed again by clear().
#pragma once

#include "platform/vkcom.h"
#include "tests/support/SystemAccess.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

#ifdef _WIN32

class PrivateRegistry {
public:
    ~PrivateRegistry() { clear(); }

    // Writes the class key and returns its name (under the machine's or the user's keys).
    QString write(const vk::Guid& clsid, const QByteArray& content) {
        simtest::writeClassRegistration(clsid, content.toStdString());
        if (std::find(m_written.begin(), m_written.end(), clsid) == m_written.end())
            m_written.push_back(clsid);
        return QString::fromStdWString(simtest::classKey(clsid));
    }

    // Removes every registration written so far.
    void clear() {
        for (const vk::Guid& clsid : m_written)
            simtest::deleteClassRegistration(clsid);
        m_written.clear();
    }

private:
    std::vector<vk::Guid> m_written;
};

#else

class PrivateRegistry {
public:
    PrivateRegistry() {
        qputenv("XDG_DATA_HOME", m_home.path().toUtf8());
        qputenv("XDG_DATA_DIRS", (m_dirs1.path() + u':' + m_dirs2.path()).toUtf8());
    }

    QString home() const { return m_home.path(); }
    QString systemFirst() const { return m_dirs1.path(); }
    QString systemSecond() const { return m_dirs2.path(); }

    // Writes root/vkcom/classes/{CLSID}.reg and returns its path.
    static QString write(const QString& root, const vk::Guid& clsid, const QByteArray& content) {
        const QString folder = root + u"/vkcom/classes"_s;
        QDir().mkpath(folder);
        const QString path = folder + u'/' + QString::fromStdString(vk::toString(clsid)) + u".reg"_s;
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return {};
        f.write(content);
        return path;
    }
    QString write(const vk::Guid& clsid, const QByteArray& content) const {
        return write(home(), clsid, content);
    }

    // Removes every registration written so far.
    void clear() const {
        for (const QString& root : {home(), systemFirst(), systemSecond()})
            QDir(root + u"/vkcom"_s).removeRecursively();
    }

private:
    QTemporaryDir m_home, m_dirs1, m_dirs2;
};

#endif
