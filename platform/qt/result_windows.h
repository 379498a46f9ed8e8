// The windows the desktop program shows beside its main window for the views of the results: the
// member table (a sortable item view whose size column offers the member sizes) and a picture
// window for charts. Both only report what the user does; the program answers with new contents.
#pragma once

#include <QWidget>
#include <functional>

#include "platform/shell.h"

class QImage;
class QLabel;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

// A copy of the surface's pixels as an image.
QImage imageOfSurface(const Surface& surface);

class MemberTableWindow final : public QWidget {
  public:
    // Each message the user makes goes to post (TableRowSelected and the others).
    explicit MemberTableWindow(std::function<void(const WindowMessage&)> post);

    // New contents, keeping the user's sort order; the selected row is brought into view. The
    // first call places the window beside anchor's.
    void showContents(const MemberTableContents& contents, const QWidget* anchor);
    // Moves the selection without telling the program.
    void selectMember(int member);
    // Closes the window without telling the program.
    void closeQuietly();

    // The rows as shown, tab-separated with a heading line: what Copy puts on the clipboard.
    QString shownText() const;
    QTableView& view() { return *view_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void send(MessageKind kind, int member, int value = 0);
    int memberAt(const QModelIndex& proxyIndex) const;

    std::function<void(const WindowMessage&)> post_;
    QStandardItemModel* model_;
    QSortFilterProxyModel* sorted_;
    QTableView* view_;
    int sizeColumn_ = -1;
    QStringList sizeChoices_;
    bool quiet_ = false;  // the program is changing the table: nothing is sent
    bool placed_ = false;
};

// One picture at a time, at the board's own scale, in a window of its own.
class PictureWindow final : public QWidget {
  public:
    PictureWindow();
    void showPicture(const QString& title, const Surface& picture, int scale, const QWidget* anchor);

  private:
    QLabel* label_;
};
