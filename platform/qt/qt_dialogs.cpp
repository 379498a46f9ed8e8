// The Qt shell's dialogs: message boxes, the open and save dialogs, the print dialog. Each shows
// what was drawn first, blocks the caller in its own modal loop and delivers no messages meanwhile.
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>
#include <algorithm>
#include <optional>
#include <utility>

#include "platform/qt/painter_print_surface.h"
#include "platform/qt/qt_shell.h"

namespace {

// Keeps a box without an escape answer (Yes/No) open until one of its buttons is pressed: the
// close box and the Escape key do nothing.
class NeedsAnswer final : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

QMessageBox::Icon iconOf(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::None:
            return QMessageBox::NoIcon;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Error:
            return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

// The contract's buttons and Qt's, each with the other.
constexpr std::pair<DialogButton, QMessageBox::StandardButton> BUTTONS[] = {
    {DialogButton::Ok, QMessageBox::Ok},
    {DialogButton::Yes, QMessageBox::Yes},
    {DialogButton::No, QMessageBox::No},
    {DialogButton::Cancel, QMessageBox::Cancel},
};

QMessageBox::StandardButton standardButtonOf(DialogButton button) {
    for (const auto& [ours, qt] : BUTTONS) {
        if (ours == button) return qt;
    }
    return QMessageBox::Ok;
}

std::optional<DialogButton> dialogButtonOf(QMessageBox::StandardButton button) {
    for (const auto& [ours, qt] : BUTTONS) {
        if (qt == button) return ours;
    }
    return std::nullopt;
}

QMessageBox::StandardButtons buttonsOf(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
            return QMessageBox::Ok;
        case MessageButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MessageButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// The Qt form of a filter: the description as shown, and the patterns Qt reads from its last
// parentheses. A description without them gets the patterns appended.
QString qtFilterOf(const FileFilter& filter) {
    const QString description = QString::fromLocal8Bit(filter.description.c_str());
    QString patterns = QString::fromLocal8Bit(filter.pattern.c_str());
    patterns.replace(u';', u' ');
    if (description.endsWith(QLatin1Char(')')) && description.contains(QLatin1Char('('))) return description;
    return description + QStringLiteral(" (") + patterns + u')';
}

}  // namespace

QWidget* QtShell::dialogOwner(bool ownedByMainWindow) const {
    return ownedByMainWindow && alive_ ? window_ : nullptr;
}

void QtShell::runDialog(QDialog& dialog) {
    presentDirty();
    Hold hold(*this);
    if (dialogHook_) {
        QTimer::singleShot(0, &dialog, [this, &dialog] { dialogHook_(dialog); });
    }
    dialog.exec();
    // Keyboard input returns to the program's window, also where no window manager does it.
    if (alive_ && window_->isVisible()) window_->activateWindow();
}

DialogButton QtShell::messageBox(const MessageBoxRequest& request) {
    QMessageBox box(iconOf(request.icon), QString::fromLatin1(request.caption.c_str()),
                    QString::fromLatin1(request.text.c_str()), buttonsOf(request.buttons),
                    dialogOwner(request.ownedByMainWindow));
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(standardButtonOf(request.defaultButton));
    // An owned box blocks its owner; any other blocks the whole program, and a system-modal one
    // also stays above every other window.
    const bool owned = box.parentWidget() != nullptr;
    box.setWindowModality(owned && request.modality == Modality::Application ? Qt::WindowModal
                                                                             : Qt::ApplicationModal);
    if (request.modality == Modality::System) box.setWindowFlag(Qt::WindowStaysOnTopHint);
    if (messageBoxObserver_) messageBoxObserver_(request);
    NeedsAnswer needsAnswer;
    if (request.buttons == MessageButtons::YesNo) {
        box.setWindowFlag(Qt::WindowCloseButtonHint, false);
        box.installEventFilter(&needsAnswer);
    }
    runDialog(box);
    // Closed without a button: an Ok box counts as Ok, a Yes/No/Cancel box as Cancel.
    return dialogButtonOf(box.standardButton(box.clickedButton()))
        .value_or(request.buttons == MessageButtons::Ok ? DialogButton::Ok : DialogButton::Cancel);
}

std::optional<FileChoice> QtShell::fileDialog(bool save, const FileDialogRequest& request) {
    QFileDialog dialog(dialogOwner(request.ownedByMainWindow));
    // Qt's own dialog on every desktop: the filters read the same everywhere and match names
    // without regard to case, as the program's upper-case extensions need on Linux.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(!save && request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(save && request.promptOverwrite));
    QStringList filters;
    for (const FileFilter& filter : request.filters) filters.push_back(qtFilterOf(filter));
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int selected = std::clamp(request.selectedFilter, 1, int(filters.size()));
        dialog.selectNameFilter(filters[selected - 1]);
        // "*.*" means every file, as where the filters were written; taken literally it would hide
        // names without a dot. The dialog has set its own name filters by the time this runs.
        const auto everyFile = [&dialog, &filters, &request](const QString& chosen) {
            const qsizetype index = filters.indexOf(chosen);
            if (index < 0) return;
            const QStringList patterns =
                QString::fromLocal8Bit(request.filters[size_t(index)].pattern.c_str()).split(u';');
            if (!patterns.contains(QStringLiteral("*.*"))) return;
            if (auto* model = dialog.findChild<QFileSystemModel*>())
                model->setNameFilters({QStringLiteral("*")});
        };
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, everyFile);
        everyFile(dialog.selectedNameFilter());
    }
    if (!lastFolder_.isEmpty()) dialog.setDirectory(lastFolder_);
    runDialog(dialog);
    if (dialog.result() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString chosen = dialog.selectedFiles().front();
    const QByteArray path = QFile::encodeName(chosen);
    if (path.isEmpty() || path.size() > DIALOG_PATH_CHARS) return std::nullopt;
    const QFileInfo info(chosen);
    lastFolder_ = info.absolutePath();
    return FileChoice{path.toStdString(), QFile::encodeName(info.fileName()).toStdString()};
}

std::optional<FileChoice> QtShell::openFileDialog(const FileDialogRequest& request) {
    return fileDialog(false, request);
}

std::optional<FileChoice> QtShell::saveFileDialog(const FileDialogRequest& request) {
    return fileDialog(true, request);
}

std::string QtShell::deliverFile(const std::string&) {
    return {};
}

std::unique_ptr<PrintSurface> QtShell::printDialog(std::string_view) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    {
        QPrintDialog dialog(printer.get(), dialogOwner(true));
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        // Keeps the "Print to File (PDF)" printer in the list: for many students the only one.
        dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
        runDialog(dialog);
        if (dialog.result() != QDialog::Accepted) return nullptr;
    }
    return makePrinterSurface(std::move(printer));
}
