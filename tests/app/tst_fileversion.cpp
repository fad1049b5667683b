// The version information as built into the tool, and the cases of a missing or different one:
// on Linux copies of the tool altered with objcopy, on Windows small programs built with variants
// of the tool's version resource, read through the system's version functions.
#include "app/FileVersion.h"
#include "app/SkinManager.h"
#include "app/Tmainfrm.h"
#include "platform/vkcom.h"
#include "ui/Dialogs.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestFileVersion : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

#ifdef _WIN32
    // The tool itself, or the sample program built with that variant of its version resource.
    QString executableFor(const QString& variant) {
        if (variant == u"as built")
            return QStringLiteral(VK_VESKOR_EXE);
        return QStringLiteral(VK_VERSION_SAMPLES) + u"/vk_version_"_s + QString(variant).replace(u' ', u'_') +
               u".exe"_s;
    }
#else
    void run(const QString& program, const QStringList& args) {
        QProcess p;
        p.start(program, args);
        QVERIFY2(p.waitForFinished(60000), qPrintable(program));
        QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0,
                 qPrintable(program + u' ' + args.join(u' ') + u'\n' +
                            QString::fromLocal8Bit(p.readAllStandardError())));
    }

    // A copy of the tool whose version section is removed (no block) or replaced by one made with
    // the given arguments.
    QString alteredCopy(const QString& name, bool remove, const QStringList& blockArgs) {
        const QString copy = m_dir.filePath(name);
        QFile::remove(copy);
        if (!QFile::copy(QStringLiteral(VK_VESKOR_EXE), copy))
            return {};
        if (remove) {
            run(QStringLiteral(VK_OBJCOPY), {u"--remove-section"_s, u".vkversion"_s, copy});
        } else if (!blockArgs.isEmpty()) {
            const QString block = m_dir.filePath(name + u".bin"_s);
            run(QStringLiteral(VK_MKVERSION), QStringList{block, u"7.1.0.3"_s} + blockArgs);
            run(QStringLiteral(VK_OBJCOPY), {u"--update-section"_s, u".vkversion="_s + block, copy});
        }
        return copy;
    }

    QString executableFor(const QString& variant) {
        const QString name = QString(variant).replace(u' ', u'_');
        if (variant == u"none")
            return alteredCopy(name, true, {});
        if (variant == u"other language")
            return alteredCopy(name, false, {u"--table"_s, u"040704B0"_s});
        if (variant == u"no fileversion")
            return alteredCopy(name, false, {u"--no-fileversion"_s});
        if (variant == u"other version")
            return alteredCopy(name, false, {u"--table"_s, u"040904E4"_s});
        return alteredCopy(name, false, {});
    }
#endif

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        vk::coInitialize();
        SkinManager::suppressAnimations(true);
        Tmainfrm::setSlidePause(0);
    }
    void init() {
        dialogs::testing::enable();
    }
    void cleanup() {
        dialogs::testing::disable();
    }

    void versionCases_data() {
        QTest::addColumn<QString>("variant");
        QTest::addColumn<bool>("hasBlock");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("as built") << u"as built"_s << true << u"2.0.0.2"_s << QStringList();
        QTest::newRow("no version information")
            << u"none"_s << false << QString() << QStringList{u"No FileVersionInfo found"_s};
        QTest::newRow("other language only") << u"other language"_s << true << QString() << QStringList();
        QTest::newRow("table without FileVersion")
            << u"no fileversion"_s << true << QString() << QStringList();
        QTest::newRow("other version number") << u"other version"_s << true << u"7.1.0.3"_s << QStringList();
    }
    void versionCases() {
        QFETCH(QString, variant);
        QFETCH(bool, hasBlock);
        QFETCH(QString, version);
        QFETCH(QStringList, messages);
        const QString executable = executableFor(variant);
        QVERIFY(QFile::exists(executable));

        QCOMPARE(!vk::readVersionInfo(executable).isEmpty(), hasBlock);

        Tmainfrm w;
        dialogs::testing::clear();
        QCOMPARE(w.ReadFileVersion(executable), version);
        QStringList shown;
        for (const auto& s : dialogs::testing::shown())
            shown << s.text;
        QCOMPARE(shown, messages);
    }

    // The running executable is found by its full name, and read like any other: a test program
    // carries the tool's version information too.
    void runningExecutable() {
        const QString self = vk::runningExecutable();
        QVERIFY2(QFileInfo(self).isAbsolute() && QFileInfo(self).isFile(), qPrintable(self));
        QCOMPARE(QFileInfo(self).canonicalFilePath(),
                 QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath());
        QCOMPARE(vk::queryVersionString(vk::readVersionInfo(self), u"040904E4", u"FileVersion"),
                 std::optional<QString>(u"2.0.0.2"_s));
    }

    // Blocks cut short or wrong in their lengths give no value and read nothing beyond the block.
    void malformedBlocks() {
        QByteArray block = vk::readVersionInfo(executableFor(u"other version"_s));
        QVERIFY(!block.isEmpty());
        // The system's copy may carry room beyond the block; ours reads the block's own length.
        block.truncate(qsizetype(quint8(block[0]) | (quint8(block[1]) << 8)));
        QCOMPARE(vk::parseVersionString(block, u"040904E4", u"FileVersion"),
                 std::optional<QString>(u"7.1.0.3"_s));
        for (qsizetype cut : {qsizetype(0), qsizetype(4), qsizetype(40), block.size() / 2, block.size() - 2})
            QVERIFY2(!vk::parseVersionString(block.left(cut), u"040904E4", u"FileVersion").has_value(),
                     qPrintable(QString::number(cut)));
        QByteArray bigLength = block;
        bigLength[0] = char(0xff);
        bigLength[1] = char(0x7f);
        QVERIFY(!vk::parseVersionString(bigLength, u"040904E4", u"FileVersion").has_value());
        QByteArray notVersion = block;
        notVersion[6] = 'X';
        QVERIFY(!vk::parseVersionString(notVersion, u"040904E4", u"FileVersion").has_value());
    }

    void notAnExecutable() {
        const QString text = m_dir.filePath(u"plain.txt"_s);
        QFile f(text);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\x7f"
                "ELF but not really");
        f.close();
        QVERIFY(vk::readVersionInfo(text).isEmpty());
        QVERIFY(vk::readVersionInfo(m_dir.filePath(u"missing"_s)).isEmpty());
    }
};

QTEST_MAIN(TestFileVersion)
#include "tst_fileversion.moc"
