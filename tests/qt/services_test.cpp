// The Qt shell's services: message boxes, file and print dialogs answered through the dialog
// hook, sounds and their timing, the clipboard, the help window, the single-instance lock, the
// writer of state and the sound files the player reads.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTreeView>
#include <algorithm>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/qt/help_window.h"
#include "platform/qt/instance_lock.h"
#include "platform/qt/painter_print_surface.h"
#include "platform/qt/state_writer.h"
#include "resources/embedded_resources.h"
#include "resources/wav_clip.h"
#include "tests/qt/shell_session.h"

namespace {

// The files a file dialog lists in its folder, sorted without regard to case.
QStringList listedFiles(QFileDialog& dialog) {
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    QStringList names;
    if (!view) return names;
    const QModelIndex folder = view->rootIndex();
    for (int row = 0; row < view->model()->rowCount(folder); ++row) {
        if (!view->isRowHidden(row, folder)) names << view->model()->index(row, 0, folder).data().toString();
    }
    names.sort(Qt::CaseInsensitive);
    return names;
}

// Picks a filter from the dialog's list as the user does.
void chooseFilter(QFileDialog& dialog, int index) {
    auto* list = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    QVERIFY(list);
    list->setCurrentIndex(index);
    emit list->activated(index);
    emit list->textActivated(list->currentText());
}

}  // namespace

class QtServicesTest final : public QObject {
    Q_OBJECT

  private slots:
    void messageBoxesCarryTheRequest();
    void fileAndPrintDialogs();
    void sounds();
    void clipboardAndHelp();
    void singleInstance();
    void stateWrites();
    void wavClips();
};

void QtServicesTest::messageBoxesCarryTheRequest() {
    Session s;
    QMessageBox* seen = nullptr;
    std::function<void(QMessageBox&)> answer;
    s.shell.setDialogHook([&](QDialog& dialog) {
        seen = qobject_cast<QMessageBox*>(&dialog);
        if (seen && seen->isVisible()) answer(*seen);
        if (dialog.isVisible()) dialog.done(0);  // a failed check left it open
    });

    // The save question: text, caption, icon, buttons, default, owner; answered Cancel.
    MessageBoxRequest question{
        .text = "The current bridge has changes. \nDo you want to save before analyzing?",
        .caption = " ",
        .icon = MessageIcon::Warning,
        .buttons = MessageButtons::YesNoCancel,
        .defaultButton = DialogButton::Yes,
        .ownedByMainWindow = true};
    QWidget* owner = &s.window();
    answer = [owner](QMessageBox& box) {
        QCOMPARE(box.text(),
                 QStringLiteral("The current bridge has changes. \nDo you want to save before analyzing?"));
        QCOMPARE(box.textFormat(), Qt::PlainText);
        QCOMPARE(box.windowTitle(), QStringLiteral(" "));
        QCOMPARE(box.icon(), QMessageBox::Warning);
        QCOMPARE(box.standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box.defaultButton(), box.button(QMessageBox::Yes));
        QCOMPARE(box.windowModality(), Qt::WindowModal);
        QVERIFY(box.parentWidget() == owner);
        box.button(QMessageBox::Cancel)->click();
    };
    QCOMPARE(s.shell.messageBox(question), DialogButton::Cancel);
    QVERIFY(seen);

    // The continue question cannot be closed or escaped, only answered; No is its default.
    question.text = "The current bridge has changes. \nDo you want to continue?";
    question.buttons = MessageButtons::YesNo;
    question.defaultButton = DialogButton::No;
    answer = [](QMessageBox& box) {
        QCOMPARE(box.defaultButton(), box.button(QMessageBox::No));
        box.close();
        QTest::keyClick(&box, Qt::Key_Escape);
        QVERIFY(box.isVisible());
        QTest::keyClick(&box, Qt::Key_Return);  // the default button
    };
    QCOMPARE(s.shell.messageBox(question), DialogButton::No);

    // Closing a Yes/No/Cancel box answers Cancel, closing an Ok box answers Ok.
    question.buttons = MessageButtons::YesNoCancel;
    question.defaultButton = DialogButton::Yes;
    answer = [](QMessageBox& box) { box.close(); };
    QCOMPARE(s.shell.messageBox(question), DialogButton::Cancel);
    MessageBoxRequest notice;
    notice.text = "No Bridge!";
    answer = [](QMessageBox& box) {
        QCOMPARE(box.text(), QStringLiteral("No Bridge!"));
        QCOMPARE(box.windowTitle(), QString());
        QCOMPARE(box.icon(), QMessageBox::Information);
        QCOMPARE(box.standardButtons(), QMessageBox::Ok);
        QVERIFY(!box.parentWidget());
        QCOMPARE(box.windowModality(), Qt::ApplicationModal);
        QTest::keyClick(&box, Qt::Key_Escape);
    };
    QCOMPARE(s.shell.messageBox(notice), DialogButton::Ok);

    // A system-modal box stays above every window; a Yes answer comes back as Yes.
    const MessageBoxRequest system{.text = "Not enough memory available.",
                                   .caption = "ZAZUVI",
                                   .icon = MessageIcon::Information,
                                   .buttons = MessageButtons::YesNo,
                                   .defaultButton = DialogButton::Yes,
                                   .ownedByMainWindow = false,
                                   .modality = Modality::System};
    answer = [](QMessageBox& box) {
        QVERIFY(box.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(box.windowModality(), Qt::ApplicationModal);
        box.button(QMessageBox::Yes)->click();
    };
    QCOMPARE(s.shell.messageBox(system), DialogButton::Yes);

    // What was drawn before the box shows behind it; no message arrives while it is up.
    s.procedure.log.clear();
    s.shell.windowSurface().fillRect({10, 10, 20, 20}, MARK);
    answer = [&](QMessageBox& box) {
        QCOMPARE(screenPixel(onScreen(s.window()), s.view(), {15, 15}), MARK);
        s.window().action(CMD_FILE_NEW)->trigger();
        s.shell.invalidate();
        QTest::qWait(20);
        QVERIFY(s.procedure.log.empty());
        box.button(QMessageBox::Ok)->click();
    };
    s.shell.messageBox(notice);
    QVERIFY(s.procedure.log.empty());
    QTRY_COMPARE(QApplication::activeWindow(), &s.window());  // the keyboard is the program's again
    settle(s.shell);
    QCOMPARE(s.procedure.commands(), std::vector<int>{CMD_FILE_NEW});
    QCOMPARE(s.procedure.count(MessageKind::Paint), 1);
}

void QtServicesTest::fileAndPrintDialogs() {
    Session s;
    QTemporaryDir folder;
    std::function<void(QDialog&)> answer;
    s.shell.setDialogHook([&](QDialog& dialog) {
        answer(dialog);
        if (dialog.isVisible()) dialog.reject();  // a failed check left it open
    });

    // The open dialog offers the filters as written, the chosen one selected, and wants an
    // existing file; its answer comes back as path and title.
    FileDialogRequest open;
    open.filters =
        parseFileFilters("Bridge Files (*.BRG)|*.BRG|All files (*.*)|*.*|DXF files (*.DXF)|*.DXF|");
    open.selectedFilter = 2;
    open.pathMustExist = true;
    open.fileMustExist = true;
    const QString existing = folder.path() + QStringLiteral("/PRATT.BRG");
    for (const char* name : {"PRATT.BRG", "howe.brg", "README", "notes.txt"}) {
        QFile(folder.path() + u'/' + QLatin1String(name)).open(QIODevice::WriteOnly);
    }
    answer = [&](QDialog& dialog) {
        auto& files = static_cast<QFileDialog&>(dialog);
        QCOMPARE(files.nameFilters(),
                 QStringList({"Bridge Files (*.BRG)", "All files (*.*)", "DXF files (*.DXF)"}));
        QCOMPARE(files.selectedNameFilter(), QStringLiteral("All files (*.*)"));
        // "*.*" lists every file, a name without a dot too; the bridge filter takes either case.
        files.setDirectory(folder.path());
        QTRY_COMPARE(listedFiles(files), QStringList({"howe.brg", "notes.txt", "PRATT.BRG", "README"}));
        chooseFilter(files, 0);
        QTRY_COMPARE(listedFiles(files), QStringList({"howe.brg", "PRATT.BRG"}));
        chooseFilter(files, 1);
        QTRY_COMPARE(listedFiles(files), QStringList({"howe.brg", "notes.txt", "PRATT.BRG", "README"}));
        QCOMPARE(files.acceptMode(), QFileDialog::AcceptOpen);
        QCOMPARE(files.fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(files.parentWidget(), &s.window());
        QTest::keyClicks(files.focusWidget(), QStringLiteral("PRATT.BRG"));  // typed as the user does
        QTest::keyClick(files.focusWidget(), Qt::Key_Return);
    };
    std::optional<FileChoice> chosen = s.shell.openFileDialog(open);
    QVERIFY(chosen);
    QCOMPARE(QString::fromStdString(chosen->path), existing);
    QCOMPARE(chosen->title, std::string("PRATT.BRG"));

    // The save dialog asks before replacing a file when asked to, and opens where the last one
    // was answered; cancelling gives nothing.
    FileDialogRequest save;
    save.filters = parseFileFilters("VRML files (*.WRL)|*.WRL|All files (*.*)|*.*|");
    save.promptOverwrite = true;
    answer = [&](QDialog& dialog) {
        auto& files = static_cast<QFileDialog&>(dialog);
        QCOMPARE(files.acceptMode(), QFileDialog::AcceptSave);
        QVERIFY(!files.testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(files.selectedNameFilter(), QStringLiteral("VRML files (*.WRL)"));
        QCOMPARE(files.directory().absolutePath(), QDir(folder.path()).absolutePath());
        files.reject();
    };
    QVERIFY(!s.shell.saveFileDialog(save));
    save.promptOverwrite = false;
    answer = [&](QDialog& dialog) {
        QVERIFY(static_cast<QFileDialog&>(dialog).testOption(QFileDialog::DontConfirmOverwrite));
        dialog.reject();
    };
    QVERIFY(!s.shell.saveFileDialog(save));

    // The print dialog offers no page range and no selection but keeps the PDF printer;
    // cancelled it gives no surface, accepted the printer's.
    answer = [&](QDialog& dialog) {
        auto* print = qobject_cast<QPrintDialog*>(&dialog);
        QVERIFY(print);
        QVERIFY(print->testOption(QAbstractPrintDialog::PrintToFile));
        QVERIFY(!print->testOption(QAbstractPrintDialog::PrintPageRange));
        QVERIFY(!print->testOption(QAbstractPrintDialog::PrintSelection));
        dialog.reject();
    };
    QVERIFY(!s.shell.printDialog("BRIDGE"));
    answer = [](QDialog& dialog) { dialog.accept(); };
    QVERIFY(s.shell.printDialog("BRIDGE"));

    // A printer whose file cannot be written refuses the job and says why.
    auto printer = std::make_unique<QPrinter>();
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(folder.path() + QStringLiteral("/no-such-folder/report.pdf"));
    const std::unique_ptr<PrintSurface> refusing = makePrinterSurface(std::move(printer));
    QVERIFY(!refusing->startDocument("QX DATA"));
    QCOMPARE(QString::fromStdString(refusing->refusal()),
             QStringLiteral("the file ") + folder.path() +
                 QStringLiteral("/no-such-folder/report.pdf cannot be written: No such file or directory"));
}

void QtServicesTest::sounds() {
    Session s;
    const std::optional<WavClip> horn = readWavClip(findResource("truckwh.wav")->bytes());
    QVERIFY(horn);
    // A synchronous sound takes its length, with or without an audio output, and not much more;
    // no message arrives meanwhile.
    s.procedure.log.clear();
    s.window().action(CMD_FILE_NEW)->trigger();
    QElapsedTimer clock;
    clock.start();
    s.shell.playSound("truckwh.wav", SoundMode::Synchronous);
    const qint64 took = clock.elapsed();
    QVERIFY2(took >= qint64(horn->lengthMs()), qPrintable(QString::number(took)));
    QVERIFY2(took < qint64(horn->lengthMs() + QtShell::SOUND_END_MARGIN_MS + 300),
             qPrintable(QString::number(took)));
    QVERIFY(s.procedure.log.empty());

    // Asynchronous and looping sounds, a stop, and a sound that does not exist return at once.
    clock.restart();
    s.shell.playSound("truckstr.wav", SoundMode::Asynchronous);
    s.shell.playSound("TRUCK.WAV", SoundMode::Looping);
    s.shell.stopSound();
    s.shell.stopSound();
    s.shell.playSound("missing.wav", SoundMode::Synchronous);
    s.shell.playSound("qx4gs.hlp", SoundMode::Synchronous);  // not a sound
    QVERIFY(clock.elapsed() < 200);
    settle(s.shell);
    QCOMPARE(s.procedure.commands(), std::vector<int>{CMD_FILE_NEW});
}

void QtServicesTest::clipboardAndHelp() {
    Session s;
    // The board copy reaches the clipboard pixel for pixel.
    Surface copy(500, 250, rgb(0, 0, 128));
    copy.setPixel(0, 0, WHITE);
    copy.setPixel(499, 249, rgb(255, 0, 0));
    s.shell.copyImageToClipboard(copy);
    const QImage pasted = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(pasted.size(), QSize(500, 250));
    QCOMPARE(pasted.pixel(0, 0), WHITE);
    QCOMPARE(pasted.pixel(499, 249), rgb(255, 0, 0));
    QCOMPARE(pasted.pixel(250, 125), rgb(0, 0, 128));

    // Each help page opens in the one help window; a missing page changes nothing.
    s.shell.showHelp("qx4gs.hlp");
    HelpWindow* help = s.shell.helpWindow();
    QVERIFY(help && help->isVisible());
    QCOMPARE(help->windowTitle(), QStringLiteral("Trussmill Help: Getting Started"));
    QVERIFY(help->toPlainText().contains(QStringLiteral("Getting Started with Trussmill")));
    s.shell.showHelp("QX4MENU.HLP");
    QCOMPARE(s.shell.helpWindow(), help);
    const QString menuTitle = help->windowTitle();
    QVERIFY(menuTitle != QStringLiteral("Trussmill Help: Getting Started"));
    s.shell.showHelp("missing.hlp");
    s.shell.showHelp("truck.wav");
    QCOMPARE(help->windowTitle(), menuTitle);
}

void QtServicesTest::singleInstance() {
    QTemporaryDir folder;
    const std::string path = (folder.path() + QStringLiteral("/trussmill.lock")).toStdString();
    // The first copy runs, a second one is told so, and a copy after the first has ended runs.
    {
        QtShell first{QtShellOptions{path}};
        QVERIFY(!first.previousInstanceRunning());
        QVERIFY(!first.previousInstanceRunning());  // asking again keeps the answer
        QtShell second{QtShellOptions{path}};
        QVERIFY(second.previousInstanceRunning());
    }
    {
        QtShell later{QtShellOptions{path}};
        QVERIFY(!later.previousInstanceRunning());
    }

    // A copy that is killed leaves no lock behind.
    int ready[2];
    QCOMPARE(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const InstanceLock lock(path);
        const char held = lock.state() == InstanceLockState::Taken ? 'y' : 'n';
        (void)!::write(ready[1], &held, 1);
        ::pause();
        ::_exit(0);
    }
    char held = 0;
    QCOMPARE(::read(ready[0], &held, 1), ssize_t(1));
    QCOMPARE(held, 'y');
    {
        QtShell blocked{QtShellOptions{path}};
        QVERIFY(blocked.previousInstanceRunning());
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    QtShell afterCrash{QtShellOptions{path}};
    QVERIFY(!afterCrash.previousInstanceRunning());
    QCOMPARE(afterCrash.instanceTag(), std::string());

    // A lock file that cannot be opened tells nothing: the program runs under its process's
    // tag, running while the process runs, ended once it has or its id is reused.
    const std::string nowhere = (folder.path() + QStringLiteral("/missing/trussmill.lock")).toStdString();
    QCOMPARE(InstanceLock(nowhere).state(), InstanceLockState::Unchecked);
    QtShell unsure{QtShellOptions{nowhere}};
    QVERIFY(!unsure.previousInstanceRunning());
    const std::string tag = unsure.instanceTag();
    QVERIFY2(tag.rfind("p" + std::to_string(::getpid()) + "-", 0) == 0 && tag.size() <= 32, tag.c_str());
    QVERIFY(unsure.instanceMayBeRunning(tag) && !unsure.instanceMayBeRunning(tag + "1"));
    QVERIFY(!unsure.instanceMayBeRunning("p4194305-1"));  // beyond the largest process id
    ::close(ready[0]);
    ::close(ready[1]);
}

void QtServicesTest::stateWrites() {
    using namespace std::chrono_literals;
    std::mutex mutex;
    std::vector<std::string> done;  // "name=contents" and "-name", in the order done
    const auto count = [&](const std::string& change) {
        const std::lock_guard lock(mutex);
        return std::count(done.begin(), done.end(), change);
    };
    {
        // Changes of 50 ms, rounds 600 ms apart.
        StateWriter writer(
            [&](const std::string& name, const std::optional<std::string>& contents) {
                std::this_thread::sleep_for(50ms);
                const std::lock_guard lock(mutex);
                done.push_back(contents ? name + "=" + *contents : "-" + name);
                return true;
            },
            600ms);
        // The first write after a quiet spell goes at once; of the writes that follow within a
        // round, only the newest of each name, in the order the names came.
        writer.store("a", "1");
        QTRY_VERIFY_WITH_TIMEOUT(count("a=1") == 1, 400);
        writer.store("a", "2");
        writer.store("b", "1");
        writer.store("a", "3");
        QCOMPARE(writer.pendingChanges().at("a"), std::optional<std::string>("3"));
        QTRY_VERIFY(count("b=1") == 1);
        // A removal goes at once, after what was given before it, and the name ends removed
        // whether its write was to come or under way.
        QTest::qWait(600);
        writer.store("c", "1");
        QTest::qWait(20);
        writer.remove("c");
        writer.store("e", "1");
        writer.remove("b");
        QTRY_VERIFY_WITH_TIMEOUT(count("-b") == 1, 450);
        writer.store("f", "1");  // done as the writer goes
    }
    std::erase(done, "c=1");
    QCOMPARE(done, (std::vector<std::string>{"a=1", "a=3", "b=1", "-c", "e=1", "-b", "f=1"}));
}

void QtServicesTest::wavClips() {
    // Every sound of the program is a clip the player takes, of a sensible length.
    for (const EmbeddedResource& r : embeddedResources()) {
        if (r.kind != ResourceKind::Sound) continue;
        const std::optional<WavClip> clip = readWavClip(r.bytes());
        QVERIFY2(clip, r.name);
        QCOMPARE(clip->channels, 1);
        QCOMPARE(clip->bitsPerSample, 16);
        QCOMPARE(clip->sampleRate, 22050);
        QVERIFY2(clip->lengthMs() >= 900 && clip->lengthMs() <= 3000, r.name);
        QCOMPARE(clip->samples.data(), r.begin + 44);
    }
    const EmbeddedResource* horn = findResource("truckwh.wav");
    QCOMPARE(readWavClip(horn->bytes())->lengthMs(), uint32_t(1000));

    // Broken files are refused: not RIFF, a chunk running past the end, no PCM, no format.
    std::vector<unsigned char> file(horn->begin, horn->end);
    auto refused = [](std::vector<unsigned char> bytes) { return !readWavClip(bytes).has_value(); };
    std::vector<unsigned char> bad = file;
    bad[0] = 'X';
    QVERIFY(refused(bad));
    QVERIFY(refused(std::vector<unsigned char>(file.begin(), file.begin() + 100)));
    QVERIFY(refused(std::vector<unsigned char>(file.begin(), file.begin() + 11)));
    bad = file;
    bad[20] = 3;  // IEEE float samples
    QVERIFY(refused(bad));
    bad = file;
    bad[22] = 6;  // six channels
    QVERIFY(refused(bad));
    bad = file;
    std::copy_n("junk", 4, bad.begin() + 12);  // the format chunk renamed: data comes first
    QVERIFY(refused(bad));
    // A data chunk of an odd length keeps whole frames only.
    bad = file;
    bad[40] = uint8_t(bad[40] - 1);
    bad.pop_back();
    const std::optional<WavClip> odd = readWavClip(bad);
    QVERIFY(odd);
    QCOMPARE(odd->samples.size() % 2, size_t(0));
}

QObject* makeServicesTest() {
    return new QtServicesTest;
}

#include "services_test.moc"
