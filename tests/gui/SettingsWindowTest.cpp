#include "gui/SettingsWindow.h"

#include "app/AppState.h"
#include "app/Platform.h"
#include "app/ReplayList.h"
#include "base/Settings.h"
#include "gui/ListTableModel.h"
#include "gui/ListViewBinder.h"
#include "gui/QtText.h"
#include "gui/ScaledLayout.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <memory>
#include <vector>

using namespace tapeloft;

namespace {

// Keeps the message boxes a window shows instead of showing them.
class RecordingPlatform final : public WindowlessPlatform {
public:
    QStringList messages; // title, then text
    void messageBox(std::u16string_view title, std::u16string_view text) override {
        messages << toQString(title) << toQString(text);
    }
};

// A record list with a bound view, as the main window shows it.
struct ShownList {
    ListModel list;
    ListTableModel model{list};
    QTableView view;
    explicit ShownList(ListModel made) : list(std::move(made)) { new ListViewBinder(view, model); }
};

// A working folder with both language files and a Settings.ini, the state loaded from it, and both lists.
struct Session {
    QTemporaryDir dir;
    std::filesystem::path folder{dir.path().toStdU16String()};
    AppState state;
    std::unique_ptr<ShownList> lists[2];
    RecordingPlatform platform;

    explicit Session(const QByteArray& settingsText = "[filepath]\r\nLang = eng.lng\r\n") {
        const QString source = qEnvironmentVariable("TAPELOFT_SOURCE_DIR", QStringLiteral("."));
        for (const QString& name : {QStringLiteral("rus.lng"), QStringLiteral("eng.lng")})
            QFile::copy(source + "/lang/" + name, dir.filePath(name));
        QFile file(dir.filePath(QStringLiteral("Settings.ini")));
        if (file.open(QIODevice::WriteOnly)) file.write(settingsText);
        file.close();
        loadSettingsAndLanguage(state, folder);
        lists[0] = std::make_unique<ShownList>(makeReplayListModel(state.language, ReplayListKind::Replays));
        lists[1] =
            std::make_unique<ShownList>(makeReplayListModel(state.language, ReplayListKind::Favourites));
    }
    QByteArray settingsBytes() const {
        QFile file(dir.filePath(QStringLiteral("Settings.ini")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString setting(std::u16string_view group, std::u16string_view key) const {
        return toQString(readSettingText(folder / "Settings.ini", group, key, u"<none>"));
    }
    void setBoth(int column, int width) {
        for (auto& shown : lists)
            shown->list.setColumnWidth(column, width);
    }
    std::unique_ptr<SettingsWindow> open() {
        auto window = std::make_unique<SettingsWindow>(state, lists[0]->list, lists[1]->list, folder);
        window->setPlatform(platform);
        window->show();
        return window;
    }
};

// A row of the column list toggled as a user does it: made current, then the space bar.
void toggleRow(SettingsWindow& window, int row) {
    window.tabs()->setCurrentIndex(2);
    window.columnView()->setCurrentIndex(window.columnView()->model()->index(row, 0));
    QTest::keyClick(window.columnView(), Qt::Key_Space);
}

bool isChecked(SettingsWindow& window, int row) {
    return window.columnView()->model()->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
}

void typeAccount(SettingsWindow& window, const QString& name, const QString& password) {
    window.tabs()->setCurrentIndex(1);
    QTest::keyClicks(window.userNameField(), name);
    QTest::keyClicks(window.passwordField(), password);
}

} // namespace

class SettingsWindowTest final : public QObject {
    Q_OBJECT

private slots:
    void controlsStandWhereTheyBelong() {
        Session session("[accaunts]\r\nMRlog = Pilot\r\nMRpass = hunter2\r\n");
        auto window = session.open();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(window->pos(), QPoint(495, 158)); // the outer corner
        // The inside: the table's 261 x 425 scaled to the window's font.
        QCOMPARE(window->size(), scaledSize(layoutScaleFor(window->font()), QSize(261, 425)));
        QCOMPARE(window->windowTitle(), QStringLiteral("Настройки")); // rus.lng: no Lang stored
        QVERIFY(window->isWindow() && !window->isModal());
        QVERIFY(window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));

        const struct {
            const char* name;
            int tab;
            QString text;
        } places[] = {
            {"button15", -1, "Сохранить"},
            {"tabs18", -1, {}},
            {"label52", 0, "Файл языка (после перезапуска):"},
            {"list188", 0, {}},
            {"frame23", 1, "replays.ironvale.example"},
            {"label50", 1, "Логин"},
            {"label51", 1, "Пароль"},
            {"field168", 1, "Pilot"},
            {"field169", 1, "hunter2"},
            {"list179", 2, {}},
        };
        QTabWidget* tabs = window->tabs();
        for (const auto& place : places) {
            auto* widget = window->findChild<QWidget*>(QString::fromLatin1(place.name));
            QVERIFY2(widget, place.name);
            QCOMPARE(widget->parentWidget(), place.tab < 0 ? window.get() : tabs->widget(place.tab));
            if (auto* label = qobject_cast<QLabel*>(widget)) QCOMPARE(label->text(), place.text);
            if (auto* button = qobject_cast<QPushButton*>(widget)) QCOMPARE(button->text(), place.text);
            if (auto* frame = qobject_cast<QGroupBox*>(widget)) QCOMPARE(frame->title(), place.text);
            if (auto* field = qobject_cast<QLineEdit*>(widget)) QCOMPARE(field->text(), place.text);
        }
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(QStringList({tabs->tabText(0), tabs->tabText(1), tabs->tabText(2)}),
                 QStringList({"Язык", "Учётная запись", "Столбцы"}));

        // The password shows as mask characters only.
        QCOMPARE(window->userNameField()->echoMode(), QLineEdit::Normal);
        QCOMPARE(window->passwordField()->echoMode(), QLineEdit::Password);
        QCOMPARE(window->passwordField()->displayText(),
                 QString(7, window->passwordField()->displayText()[0]));
        QVERIFY(window->passwordField()->displayText()[0] != QLatin1Char('h'));

        // The column list: no header, one 240-wide column, a check box per row, one row per column 1-39.
        QTableView* view = window->columnView();
        QVERIFY(view->horizontalHeader()->isHidden());
        QCOMPARE(view->model()->columnCount(), 1);
        QCOMPARE(view->columnWidth(0), 240);
        QCOMPARE(view->model()->rowCount(), 39);
        for (int row = 0; row < 39; ++row) {
            QCOMPARE(view->model()->index(row, 0).data().toString(),
                     toQString(session.lists[0]->list.headerText(row + 1)));
            QVERIFY(isChecked(*window, row));
        }
    }

    void languageListShowsTheFilesWithTheOneInUseSelected() {
        Session session;
        auto window = session.open();
        QComboBox* box = window->languageBox();
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        items.sort();
        QCOMPARE(items, QStringList({"eng.lng", "rus.lng"}));
        QCOMPARE(box->currentText(), QStringLiteral("eng.lng"));

        // A file in use under another spelling selects nothing, and Save leaves "Lang" as it is.
        Session other("[filepath]\r\nLang = ENG.lng\r\n");
        window = other.open();
        QCOMPARE(window->languageBox()->currentIndex(), -1);
        QVERIFY(window->save());
        QCOMPARE(other.setting(settings::groupFolders, settings::keyLanguageFile), QStringLiteral("ENG.lng"));
    }

    void closeBoxDiscardsSaveStoresAndCloses() {
        Session session;
        const QByteArray before = session.settingsBytes();
        auto window = session.open();
        QSignalSpy saved(window.get(), &SettingsWindow::saved);
        typeAccount(*window, "Pilot", "s3cret");
        window->languageBox()->setCurrentIndex(window->languageBox()->findText("rus.lng"));
        toggleRow(*window, 2);
        QVERIFY(!isChecked(*window, 2));
        QVERIFY(window->close());
        QCOMPARE(saved.count(), 0);
        QCOMPARE(session.settingsBytes(), before);
        QCOMPARE(session.lists[0]->list.columnWidth(3), 100);
        QCOMPARE(session.lists[1]->list.columnWidth(3), 100);

        window = session.open();
        QSignalSpy savedAgain(window.get(), &SettingsWindow::saved);
        QCOMPARE(window->userNameField()->text(), QString());
        QVERIFY(isChecked(*window, 2));
        typeAccount(*window, "Pilot", "s3cret");
        window->languageBox()->setCurrentIndex(window->languageBox()->findText("rus.lng"));
        QTest::mouseClick(window->saveButton(), Qt::LeftButton);
        QCOMPARE(savedAgain.count(), 1);
        QVERIFY(!window->isVisible());
        QVERIFY(session.platform.messages.isEmpty());
        QCOMPARE(session.setting(settings::groupAccount, settings::keyLogin), QStringLiteral("Pilot"));
        QCOMPARE(session.setting(settings::groupAccount, settings::keyPassword), QStringLiteral("s3cret"));
        QCOMPARE(session.setting(settings::groupFolders, settings::keyLanguageFile),
                 QStringLiteral("rus.lng"));

        // The next opening reads the account again; the language in use stays until the next start.
        window = session.open();
        QCOMPARE(window->userNameField()->text(), QStringLiteral("Pilot"));
        QCOMPARE(window->passwordField()->text(), QStringLiteral("s3cret"));
        QCOMPARE(window->languageBox()->currentText(), QStringLiteral("eng.lng"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Settings"));
    }

    void uncheckingColumn5HidesItInBothListsCheckingShowsIt100Wide() {
        Session session;
        session.setBoth(5, 130);
        auto window = session.open();
        toggleRow(*window, 4);
        QVERIFY(window->save());
        for (auto& shown : session.lists) {
            QCOMPARE(shown->list.columnWidth(5), 0);
            QVERIFY(shown->view.horizontalHeader()->isSectionHidden(5));
            QVERIFY(!shown->view.horizontalHeader()->isSectionHidden(6));
        }

        window = session.open();
        QVERIFY(!isChecked(*window, 4));
        toggleRow(*window, 4);
        QTest::mouseClick(window->saveButton(), Qt::LeftButton);
        for (auto& shown : session.lists) {
            QCOMPARE(shown->list.columnWidth(5), 100);
            QVERIFY(!shown->view.horizontalHeader()->isSectionHidden(5));
            QCOMPARE(shown->view.horizontalHeader()->sectionSize(5), 100);
        }
    }

    void checkedRowLeftSelectedShowsItsColumnAndA150ColumnKeeps150() {
        Session session;
        session.setBoth(7, 0);
        session.setBoth(20, 150);
        auto window = session.open();
        toggleRow(*window, 6);
        window->columnView()->selectRow(6);
        QVERIFY(isChecked(*window, 6) && window->columnChoices().isSelected(6));
        QVERIFY(window->save());
        for (auto& shown : session.lists) {
            QCOMPARE(shown->list.columnWidth(7), 100);
            QCOMPARE(shown->list.columnWidth(20), 150);
        }
    }

    void failedStoreTellsTheUserAndKeepsTheWindowOpen() {
        Session session;
        auto window = session.open();
        QSignalSpy saved(window.get(), &SettingsWindow::saved);
        typeAccount(*window, "Pilot", "");
        // Settings.ini replaced by a folder: it cannot be read, so it is not written either.
        QVERIFY(QFile::remove(session.dir.filePath("Settings.ini")));
        QVERIFY(QDir(session.dir.path()).mkdir("Settings.ini"));
        QTest::mouseClick(window->saveButton(), Qt::LeftButton);
        QCOMPARE(session.platform.messages,
                 QStringList({"Error", QStringLiteral("The file could not be written:\u00A0Settings.ini")}));
        QCOMPARE(saved.count(), 0);
        QVERIFY(window->isVisible());

        // Once the file can be written, the same window saves what was typed.
        QVERIFY(QDir(session.dir.path()).rmdir("Settings.ini"));
        QVERIFY(window->save());
        QCOMPARE(session.setting(settings::groupAccount, settings::keyLogin), QStringLiteral("Pilot"));
    }

    void openingAgainRaisesTheOpenWindow() {
        Session session;
        QPointer<SettingsWindow> open;
        const auto showOrRaise = [&] {
            return SettingsWindow::showOrRaise(open, session.state, session.lists[0]->list,
                                               session.lists[1]->list, session.folder);
        };
        SettingsWindow* first = showOrRaise();
        QVERIFY(first == open && first->isVisible());
        first->userNameField()->setText("typed");
        first->showMinimized();
        QCOMPARE(showOrRaise(), first);
        QVERIFY(first->isVisible() && !first->isMinimized());
        QCOMPARE(first->userNameField()->text(), QStringLiteral("typed"));

        // A closed window is done with, even before its deletion: the next opening builds a fresh one.
        QVERIFY(first->close());
        QPointer<SettingsWindow> closed = first;
        SettingsWindow* third = showOrRaise();
        QVERIFY(third != closed.data());
        QCOMPARE(third->userNameField()->text(), QString());
        QTRY_VERIFY(closed.isNull());
        QVERIFY(third->close());
        QTRY_VERIFY(open.isNull());
    }
};

QTEST_MAIN(SettingsWindowTest)
#include "SettingsWindowTest.moc"
