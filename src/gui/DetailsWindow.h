#pragma once

#include "app/DetailsLists.h"
#include "app/ListModel.h"
#include "base/Messages.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <filesystem>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

class QLineEdit;
class QSplitter;
class QTableView;

namespace tapeloft {

struct AppState;
struct BattleDetails;
class ListTableModel;
class Platform;

// Window 17: one battle in full. A summary block at the top, both teams side by side in a splitter, and four
// lists at the bottom, the last of them the player's achievements. It blocks the main window while it is
// open: the caller disables the main window before open(), and the window enables it again when it closes.
class DetailsWindow final : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize innerSize{800, 600};

    // Reads the replay and shows the window centred over mainWindow (edges kept at 0 or more). When the
    // replay cannot be shown, shows the message box of its status ("Information" with message 71 when the
    // file cannot be opened, message 7 when it is no readable replay), enables mainWindow again and returns
    // nullptr. The window deletes itself once closed. mainWindow may be null.
    static DetailsWindow* open(std::u16string_view path, AppState& state, Platform& platform,
                               const std::filesystem::path& settingsFile, QWidget* mainWindow);

    ~DetailsWindow() override;

    // The control of that number (20 ... 176, as laid out in the window); nullptr for any other number.
    QWidget* control(int number) const;
    QLineEdit* field(int number) const;
    ListModel& teamList(TeamSide side) { return side == TeamSide::Team1 ? team1_ : team2_; }
    const ListModel& achievementList() const { return achievements_; }
    QTableView* teamView(TeamSide side) const { return side == TeamSide::Team1 ? team1View_ : team2View_; }
    const LinkHover& hover() const { return hover_; }

signals:
    // The close sequence ran: the price is stored when it is to be, the main window is enabled again and
    // detailsClosed is set. The window is deleted soon after.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // How a control follows a change of the window's inner size.
    enum class Anchor {
        Fixed,     // labels and fields
        TopScaled, // frame 21: x and width times the width factor
        Bottom,    // the bottom frames and lists: move with the bottom edge, x and width times the factor
    };
    struct Placement {
        QWidget* widget = nullptr;
        QRect created;
        Anchor anchor = Anchor::Fixed;
    };

    DetailsWindow(AppState& state, Platform& platform, std::filesystem::path settingsFile,
                  QWidget* mainWindow);

    void build();
    QTableView* addTeamList(int number, TeamSide side);
    void addFrame(int number, QRect rect, MessageId message, Anchor anchor);
    // The text a summary field shows before a battle fills it (builtin::DetailsPlaceholder).
    QString placeholder(int field) const;
    void addLabel(int number, QRect rect, MessageId message, bool bold);
    QLineEdit* addField(int number, QRect rect, const QString& initialText);
    QTableView* addPlainList(int number, QRect rect, ListModel& list);
    void place(QWidget* widget, int number, QRect rect, Anchor anchor);
    void bindList(QTableView& view, ListModel& list);

    void fill(const BattleDetails& details);
    void placeOver(const QWidget* anchor);
    void applyLayout(QSize inner);
    void pointerMoved(TeamSide side, QPoint position);
    void leftButtonPressed(TeamSide side, QPoint position);

    AppState& state_;
    Platform& platform_;
    std::filesystem::path settingsFile_;
    QPointer<QWidget> mainWindow_;
    bool closeSequenceRan_ = false;

    ListModel team1_;
    ListModel team2_;
    ListModel list171_;
    ListModel list172_;
    ListModel list173_;
    ListModel achievements_;
    // Declared after the core lists so that they are destroyed first: each detaches from its list.
    std::vector<std::unique_ptr<ListTableModel>> models_;
    LinkHover hover_{team1_, team2_};

    std::map<int, QWidget*> controls_;
    std::vector<Placement> placements_;
    QSplitter* splitter_ = nullptr;
    QTableView* team1View_ = nullptr;
    QTableView* team2View_ = nullptr;
    QLineEdit* priceField_ = nullptr;
    // The divider's position as a share of the splitter's width; kept when the window is resized.
    double dividerShare_ = 0.0;
};

} // namespace tapeloft
