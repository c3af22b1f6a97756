// Qt's own dialogs and buttons speak the language the language file names.
#include "MainWindowFixture.h"

#include "base/Language.h"
#include "gui/QtTranslation.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QPushButton>

using namespace tapeloft;
using namespace tapeloft::test;

namespace {

QString yesButtonText() {
    QDialogButtonBox box(QDialogButtonBox::Yes);
    return box.button(QDialogButtonBox::Yes)->text();
}

} // namespace

class QtTranslationTest final : public QObject {
    Q_OBJECT

private slots:
    void theLanguageFilesLocaleChoosesQtsTexts_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("yes");
        QTest::newRow("rus.lng") << QStringLiteral("rus.lng") << true << QStringLiteral("&Да");
        QTest::newRow("eng.lng") << QStringLiteral("eng.lng") << false << QStringLiteral("&Yes");
    }
    void theLanguageFilesLocaleChoosesQtsTexts() {
        QFETCH(QString, file);
        QFETCH(bool, installed);
        QFETCH(QString, yes);
        const Language language = Language::load(sourceDir() / "lang" / file.toStdString());
        QTranslator translator;
        QCOMPARE(installQtTranslation(translator, language), installed);
        QCOMPARE(yesButtonText(), yes);
        QCoreApplication::removeTranslator(&translator);
    }

    void aFileWithoutTheKeyKeepsQtsEnglish() {
        TempDir dir;
        const fs::path file =
            dir.write("old.lng", "\xEF\xBB\xBF[text]\r\ntxt1=\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0\r\n");
        QTranslator translator;
        QVERIFY(!installQtTranslation(translator, Language::load(file)));
        QCOMPARE(yesButtonText(), QStringLiteral("&Yes"));
    }
};

QTEST_MAIN(QtTranslationTest)
#include "QtTranslationTest.moc"
