// The version block as built into the tool, read back from copies altered with objcopy.
#include "Dialogs.h"
#include "FileVersion.h"
#include "SkinManager.h"
#include "Tmainfrm.h"
#include "vkcom.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestFileVersion : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    void run(const QString& program, const QStringList& args)
    {
        QProcess p;
        p.start(program, args);
        QVERIFY2(p.waitForFinished(60000), qPrintable(program));
        QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0,
                 qPrintable(program + u' ' + args.join(u' ') + u'\n' + QString::fromLocal8Bit(p.readAllStandardError())));
    }

    // A copy of the tool whose version section is removed (no block) or replaced by one made with
    // the given arguments.
    QString alteredCopy(const QString& name, bool remove, const QStringList& blockArgs)
    {
        const QString copy = m_dir.filePath(name);
        QFile::remove(copy);
        if (!QFile::copy(QStringLiteral(VK_VESKOR_EXE), copy)) return {};
        if (remove) {
            run(QStringLiteral(VK_OBJCOPY), {u"--remove-section"_s, u".vkversion"_s, copy});
        } else if (!blockArgs.isEmpty()) {
            const QString block = m_dir.filePath(name + u".bin"_s);
            run(QStringLiteral(VK_MKVERSION), QStringList{block, u"7.1.0.3"_s} + blockArgs);
            run(QStringLiteral(VK_OBJCOPY), {u"--update-section"_s, u".vkversion="_s + block, copy});
        }
        return copy;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        vk::coInitialize();
        SkinManager::suppressAnimations(true);
        Tmainfrm::setSlidePause(0);
    }
    void init() { dialogs::testing::enable(); }
    void cleanup() { dialogs::testing::disable(); }

    void versionCases_data()
    {
        QTest::addColumn<bool>("remove");
        QTest::addColumn<QStringList>("blockArgs");
        QTest::addColumn<bool>("hasBlock");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("as built") << false << QStringList() << true << u"2.0.0.2"_s << QStringList();
        QTest::newRow("no version section") << true << QStringList() << false << QString()
                                            << QStringList{u"No FileVersionInfo found"_s};
        QTest::newRow("other language only") << false << QStringList{u"--table"_s, u"040704B0"_s} << true << QString()
                                              << QStringList();
        QTest::newRow("table without FileVersion") << false << QStringList{u"--no-fileversion"_s} << true << QString()
                                                   << QStringList();
        QTest::newRow("other version number") << false << QStringList{u"--table"_s, u"040904E4"_s} << true
                                              << u"7.1.0.3"_s << QStringList();
    }
    void versionCases()
    {
        QFETCH(bool, remove);
        QFETCH(QStringList, blockArgs);
        QFETCH(bool, hasBlock);
        QFETCH(QString, version);
        QFETCH(QStringList, messages);
        const QString copy = alteredCopy(QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_'), remove, blockArgs);
        QVERIFY(!copy.isEmpty());

        QCOMPARE(!vk::readVersionInfo(copy).isEmpty(), hasBlock);

        Tmainfrm w;
        dialogs::testing::clear();
        QCOMPARE(w.ReadFileVersion(copy), version);
        QStringList shown;
        for (const auto& s : dialogs::testing::shown()) shown << s.text;
        QCOMPARE(shown, messages);
    }

    // Blocks cut short or wrong in their lengths give no value and read nothing beyond the block.
    void malformedBlocks()
    {
        const QString copy = alteredCopy(u"sound"_s, false, {u"--table"_s, u"040904E4"_s});
        QByteArray block = vk::readVersionInfo(copy);
        QVERIFY(!block.isEmpty());
        QCOMPARE(vk::queryVersionString(block, u"040904E4", u"FileVersion"), std::optional<QString>(u"7.1.0.3"_s));
        for (qsizetype cut : {qsizetype(0), qsizetype(4), qsizetype(40), block.size() / 2, block.size() - 2})
            QVERIFY2(!vk::queryVersionString(block.left(cut), u"040904E4", u"FileVersion").has_value(),
                     qPrintable(QString::number(cut)));
        QByteArray bigLength = block;
        bigLength[0] = char(0xff);
        bigLength[1] = char(0x7f);
        QVERIFY(!vk::queryVersionString(bigLength, u"040904E4", u"FileVersion").has_value());
        QByteArray notVersion = block;
        notVersion[6] = 'X';
        QVERIFY(!vk::queryVersionString(notVersion, u"040904E4", u"FileVersion").has_value());
    }

    void notAnExecutable()
    {
        const QString text = m_dir.filePath(u"plain.txt"_s);
        QFile f(text);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\x7f" "ELF but not really");
        f.close();
        QVERIFY(vk::readVersionInfo(text).isEmpty());
        QVERIFY(vk::readVersionInfo(m_dir.filePath(u"missing"_s)).isEmpty());
    }
};

QTEST_MAIN(TestFileVersion)
#include "tst_fileversion.moc"
