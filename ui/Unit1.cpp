#include "Unit1.h"

#include "AddFilesDialog.h"
#include "BevelPanel.h"
#include "DroppedFiles.h"
#include "ErrorBoxes.h"
#include "FileListModel.h"
#include "FileListView.h"
#include "FileOps.h"
#include "Gauge.h"
#include "NameRules.h"
#include "Placement.h"
#include "PreviewWindow.h"
#include "RenameJob.h"
#include "RowTexts.h"
#include "RunUndoing.h"
#include "SpinField.h"
#include "Unit2.h"
#include "WindowOutlets.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimeEdit>

namespace tarvolin {

namespace {

const QColor kPanelColor(232, 227, 204);
const QColor kBarColor(0, 128, 255);
const QColor kWhite(255, 255, 255);

constexpr int kStartNumberMaximum = 9999;
constexpr int kStartNumberLength = 4;

void SetBaseColor(QWidget* control, const QColor& color) {
    QPalette colours = control->palette();
    colours.setColor(QPalette::Base, color);
    colours.setColor(QPalette::Window, color);
    control->setPalette(colours);
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption, QRect geometry,
                        const QFont& font) {
    return Place(new QCheckBox(caption, parent), name, caption, geometry, font);
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
    auto* edit = Place(new QLineEdit(parent), name, caption, geometry, Arial(14));
    edit->setFrame(false);
    SetBaseColor(edit, kWhite);
    return edit;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry,
                        const QFont& font) {
    auto* button = Place(new QPushButton(caption, parent), name, caption, geometry, font);
    // Enter on a focused button clicks that button, as in a dialog.
    button->setAutoDefault(true);
    return button;
}

QPushButton* MakeGlyphButton(QWidget* parent, const char* name, const QString& caption,
                             QRect geometry, const QString& glyph) {
    auto* button = MakeButton(parent, name, caption, geometry, Arial(12));
    SetGlyph(button, glyph);
    return button;
}

QDateEdit* MakeDatePicker(QWidget* parent, const char* name, const QString& caption,
                          QRect geometry) {
    auto* picker = Place(new QDateEdit(parent), name, caption, geometry, Arial(12));
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(ShortDateFormatOf(QLocale()));
    picker->setEnabled(false);
    return picker;
}

QTimeEdit* MakeTimePicker(QWidget* parent, const char* name, const QString& caption,
                          QRect geometry) {
    auto* picker = Place(new QTimeEdit(parent), name, caption, geometry, Arial(12));
    picker->setDisplayFormat(LongTimeFormatOf(QLocale()));
    picker->setEnabled(false);
    return picker;
}

// `caption` says what the panel holds, for a screen reader; the object name stays the panel's.
BevelPanel* MakePanel(QWidget* parent, const char* name, const QString& caption,
                      BevelPanel::Bevel outer, BevelPanel::Bevel inner, const QColor& color,
                      QRect geometry, int font) {
    return Place(new BevelPanel(outer, inner, color, parent), name, caption, geometry, Arial(font));
}

constexpr auto kRaised = BevelPanel::Bevel::Raised;
constexpr auto kLowered = BevelPanel::Bevel::Lowered;

} // namespace

// In the order the boxes are ticked when a file is loaded: "SysFile" last.
const TForm1::AttributeBox TForm1::kAttributeBoxes[] = {{&TForm1::chR, kReadOnly},
                                                        {&TForm1::chH, kHidden},
                                                        {&TForm1::chA, kArchive},
                                                        {&TForm1::chS, kSystem}};

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
    InitUiResources();
    CreateControls();
    outlets_ = std::make_unique<WindowOutlets>(files_, *this, *Gauge1, *rows_, *fileList);
    ConnectHandlers();
    FormCreate();
}

TForm1::~TForm1() {
    FormDestroy();
}

void TForm1::CreateControls() {
    SetUpWindow(this, "Form1", QStringLiteral("C-Tarvolin"), {96, 106, 615, 401});
    QIcon icon;
    icon.addPixmap(QPixmap(QStringLiteral(":/tarvolin/icon16.xpm")));
    icon.addPixmap(QPixmap(QStringLiteral(":/tarvolin/icon32.xpm")));
    setWindowIcon(icon);

    Panel1 = MakePanel(this, "Panel1", QStringLiteral("New names and options"), kRaised, kLowered,
                       kFormColor, {4, 4, 605, 133}, 14);
    Label3 = Place(new QLabel(QStringLiteral("Start Number:"), Panel1), "Label3",
                   QStringLiteral("Start Number:"), {31, 71, 96, 16}, Arial(14, true));
    Label1 = Place(new QLabel(QStringLiteral("File Name:"), Panel1), "Label1",
                   QStringLiteral("File Name:"), {54, 8, 73, 16}, Arial(14, true));
    for (QLabel* label : {Label3, Label1})
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    CheckBox1 = MakeCheckBox(Panel1, "CheckBox1", QStringLiteral("Expand Name:"), {8, 40, 121, 17},
                             Arial(14, true));
    Edit1 = MakeEdit(Panel1, "Edit1", QStringLiteral("File Name:"), {130, 8, 150, 22});
    Edit2 = MakeEdit(Panel1, "Edit2", QStringLiteral("Extension"), {130, 40, 75, 22});
    Edit2->setEnabled(false);
    aUpper = MakeCheckBox(Panel1, "aUpper", QStringLiteral("All Uppercase"), {8, 104, 121, 17},
                          Arial(14, true));
    Panel3 = MakePanel(Panel1, "Panel3", QStringLiteral("Attributes"), kLowered, kRaised,
                       kPanelColor, {288, 30, 89, 95}, 12);
    chR = MakeCheckBox(Panel3, "chR", QStringLiteral("ReadOnly"), {8, 4, 73, 17}, ArialNarrow(12));
    chH = MakeCheckBox(Panel3, "chH", QStringLiteral("Hidden"), {8, 26, 57, 17}, ArialNarrow(12));
    chS = MakeCheckBox(Panel3, "chS", QStringLiteral("SysFile"), {8, 48, 57, 17}, ArialNarrow(12));
    chA = MakeCheckBox(Panel3, "chA", QStringLiteral("Archive"), {8, 72, 57, 17}, ArialNarrow(12));
    for (QCheckBox* box : {chR, chH, chS, chA})
        box->setEnabled(false);
    CheckBox3 = MakeCheckBox(Panel1, "CheckBox3", QStringLiteral("Property"), {288, 8, 89, 17},
                             Arial(14, true));
    aLower = MakeCheckBox(Panel1, "aLower", QStringLiteral("All Lowercase"), {160, 104, 121, 17},
                          Arial(14, true));
    Button3 = MakeButton(Panel1, "Button3", QStringLiteral("Change"), {496, 8, 45, 17}, Arial(9));
    Button4 = MakeButton(Panel1, "Button4", QStringLiteral("Cancel"), {546, 8, 45, 17}, Arial(9));
    Button3->hide();
    Button4->hide();
    SpinEdit1 = Place(new SpinField(Panel1), "SpinEdit1", QStringLiteral("Start Number:"),
                      {132, 72, 71, 24}, Arial(12));
    SpinEdit1->SetRange(0, kStartNumberMaximum);
    SpinEdit1->SetMaxLength(kStartNumberLength);
    SpinEdit1->Editor()->setAccessibleName(QStringLiteral("Start Number:"));
    SetBaseColor(SpinEdit1, kPanelColor);
    SetBaseColor(SpinEdit1->Editor(), kPanelColor);
    SpinEdit1->setAutoFillBackground(true);
    Panel4 = MakePanel(Panel1, "Panel4", QStringLiteral("Creation date and time"), kLowered,
                       kRaised, kPanelColor, {384, 30, 209, 33}, 14);
    DP1 = MakeDatePicker(Panel4, "DP1", QStringLiteral("Create Time date"), {8, 5, 89, 23});
    DT1 = MakeTimePicker(Panel4, "DT1", QStringLiteral("Create Time time"), {104, 5, 73, 23});
    CheckBox2 = MakeCheckBox(Panel1, "CheckBox2", QStringLiteral("Create Time"), {380, 8, 105, 17},
                             Arial(14, true));
    CheckBox4 = MakeCheckBox(Panel1, "CheckBox4", QStringLiteral("Modify Time"), {380, 68, 105, 17},
                             Arial(14, true));
    Panel5 = MakePanel(Panel1, "Panel5", QStringLiteral("Modification date and time"), kLowered,
                       kRaised, kPanelColor, {384, 88, 209, 33}, 14);
    DP2 = MakeDatePicker(Panel5, "DP2", QStringLiteral("Modify Time date"), {8, 5, 89, 23});
    DT2 = MakeTimePicker(Panel5, "DT2", QStringLiteral("Modify Time time"), {104, 5, 73, 23});

    Panel2 = MakePanel(this, "Panel2", QStringLiteral("Files"), kRaised, kLowered, kFormColor,
                       {4, 144, 605, 217}, 12);
    Gauge1 = Place(new Gauge(Panel2), "Gauge1", QStringLiteral("Progress"), {8, 185, 409, 21},
                   Arial(12));
    Gauge1->SetForeColor(kBarColor);
    Gauge1->SetBackColor(kPanelColor);

    rows_ = new FileListModel(files_, fileNames, this);
    fileList = Place(new FileListView(Panel2), "fileList", QStringLiteral("Files"),
                     {6, 6, 592, 171}, Arial(14));
    fileList->setModel(rows_);
    fileList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fileList->setSelectionMode(QAbstractItemView::SingleSelection);
    fileList->setSelectionBehavior(QAbstractItemView::SelectItems);
    fileList->setTabKeyNavigation(false);
    fileList->setShowGrid(false);
    fileList->setWordWrap(false);
    fileList->setCornerButtonEnabled(false);
    fileList->setFrameShape(QFrame::Box);
    fileList->setLineWidth(1);
    QHeaderView* rowHeader = fileList->verticalHeader();
    rowHeader->hide();
    // Fixed, equal rows: the view then never measures rows one by one, whatever their number
    // (WindowStressTest and bench/WindowBench.cpp list 100 000 files and more).
    rowHeader->setSectionResizeMode(QHeaderView::Fixed);
    rowHeader->setMinimumSectionSize(1);
    rowHeader->setDefaultSectionSize(QFontMetrics(Arial(14)).height() + 2);
    QHeaderView* columns = fileList->horizontalHeader();
    columns->setHighlightSections(false);
    columns->setStretchLastSection(false);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const int widths[] = {260, 66, 150, 150};
    for (int column = 0; column < FileListModel::ColumnCount; ++column)
        columns->resizeSection(column, widths[column]);
    // White, and the selection is shown only while the list has the focus.
    QPalette listColours = fileList->palette();
    listColours.setColor(QPalette::Base, kWhite);
    listColours.setColor(QPalette::Inactive, QPalette::Highlight, kWhite);
    listColours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                         listColours.color(QPalette::Active, QPalette::Text));
    fileList->setPalette(listColours);
    // Delete with Shift, Ctrl or Alt removes the row too; plain Delete is the menu's shortcut.
    fileList->installEventFilter(this);
    // A double-click anywhere in the list, on a row or below the rows, reaches the handler,
    // which acts only when a row is selected.
    fileList->viewport()->installEventFilter(this);

    Button1 =
        MakeButton(Panel2, "Button1", QStringLiteral("Add Files"), {432, 184, 75, 22}, Arial(12));
    Button2 = MakeButton(Panel2, "Button2", QStringLiteral("Clear"), {520, 184, 75, 22}, Arial(12));
    BitBtn1 = MakeGlyphButton(this, "BitBtn1", QStringLiteral("Start"), {144, 368, 75, 25},
                              QStringLiteral("start"));
    BitBtn1->setDefault(true);
    BitBtn2 = MakeGlyphButton(this, "BitBtn2", QStringLiteral("Quit"), {432, 368, 75, 25},
                              QStringLiteral("quit"));
    BitBtn3 = MakeGlyphButton(this, "BitBtn3", QStringLiteral("About..."), {280, 368, 89, 25},
                              QStringLiteral("about"));

    OpenDialog1 = std::make_unique<AddFilesDialog>(this);
    // Enter clicks a focused button only without Shift, Ctrl or Alt.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->installEventFilter(this);

    const QList<QWidget*> tabOrder = {
        CheckBox1, Edit1,    Edit2,   aUpper,    chR,     chH,     chS,       chA,       CheckBox3,
        aLower,    Button3,  Button4, SpinEdit1, DP1,     DT1,     CheckBox2, CheckBox4, DP2,
        DT2,       fileList, Button1, Button2,   BitBtn1, BitBtn2, BitBtn3};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

void TForm1::ConnectHandlers() {
    // Each handler runs guarded: a failure nothing caught ends that handler only.
    const auto guarded = [this](void (TForm1::*handler)()) {
        return [this, handler] { RunGuarded(this, [this, handler] { (this->*handler)(); }); };
    };
    connect(Button1, &QPushButton::clicked, this, guarded(&TForm1::Button1Click));
    connect(Button2, &QPushButton::clicked, this, guarded(&TForm1::Button2Click));
    connect(BitBtn1, &QPushButton::clicked, this, guarded(&TForm1::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, guarded(&TForm1::BitBtn2Click));
    connect(BitBtn3, &QPushButton::clicked, this, guarded(&TForm1::BitBtn3Click));
    connect(Button3, &QPushButton::clicked, this, guarded(&TForm1::Button3Click));
    connect(Button4, &QPushButton::clicked, this, guarded(&TForm1::Button4Click));
    // Check box handlers follow every change of state, the program's own included.
    connect(CheckBox1, &QCheckBox::toggled, this, guarded(&TForm1::CheckBox1Click));
    connect(CheckBox2, &QCheckBox::toggled, this, guarded(&TForm1::CheckBox2Click));
    connect(CheckBox3, &QCheckBox::toggled, this, guarded(&TForm1::CheckBox3Click));
    connect(CheckBox4, &QCheckBox::toggled, this, guarded(&TForm1::CheckBox4Click));
    connect(aUpper, &QCheckBox::toggled, this, guarded(&TForm1::aUpperClick));
    connect(aLower, &QCheckBox::toggled, this, guarded(&TForm1::aLowerClick));
    SpinEdit1->onKeyPress = [this](char16_t& key) { SpinEdit1KeyPress(key); };
    connect(fileList, &FileListView::UrlsDropped, this, [this](const QList<QUrl>& urls) {
        RunGuarded(this, [this, &urls] { fileListDragDrop(urls); });
    });
    // Ctrl+Z anywhere in the window; a text field that has typing to undo takes it first.
    undoLastRun_ = new QAction(QStringLiteral("Undo Last Run"), fileList);
    undoLastRun_->setObjectName(QStringLiteral("UndoLastRun"));
    undoLastRun_->setShortcut(QKeySequence::Undo);
    undoLastRun_->setShortcutContext(Qt::WindowShortcut);
    fileList->addAction(undoLastRun_);
    fileList->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(undoLastRun_, &QAction::triggered, this, guarded(&TForm1::UndoLastRunClick));
    auto* previewNewNames = new QAction(QStringLiteral("Preview New Names\u2026"), fileList);
    previewNewNames->setObjectName(QStringLiteral("PreviewNewNames"));
    previewNewNames->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    previewNewNames->setShortcutContext(Qt::WindowShortcut);
    previewNewNames->setShortcutVisibleInContextMenu(true);
    fileList->addAction(previewNewNames);
    connect(previewNewNames, &QAction::triggered, this, guarded(&TForm1::PreviewNewNamesClick));
    AddListSeparator();
    orderActions_ << AddListAction("SortByName", QStringLiteral("Sort by Name"), {},
                                   &TForm1::SortByNameClick)
                  << AddListAction("SortByModifyTime", QStringLiteral("Sort by Modify Time"), {},
                                   &TForm1::SortByModifyTimeClick);
    AddListSeparator();
    orderActions_ << AddListAction("MoveUp", QStringLiteral("Move Up"),
                                   QKeySequence(Qt::ControlModifier | Qt::Key_Up),
                                   &TForm1::MoveUpClick)
                  << AddListAction("MoveDown", QStringLiteral("Move Down"),
                                   QKeySequence(Qt::ControlModifier | Qt::Key_Down),
                                   &TForm1::MoveDownClick);
    AddListSeparator();
    AddListAction("RemoveFromList", QStringLiteral("Remove from List"),
                  QKeySequence(Qt::Key_Delete), &TForm1::RemoveFromListClick);
    connect(fileList, &FileListView::RowsDragged, this, [this](int first, int count, int to) {
        RunGuarded(this, [=, this] { fileListRowsDragged(first, count, to); });
    });
    // Typing after a run gives Ctrl+Z in that field back to the typing.
    for (QLineEdit* edit : {Edit1, Edit2}) {
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textEdited, this, [this] { runSinceTyping_ = false; });
    }
}

QAction* TForm1::AddListAction(const char* name, const QString& text, const QKeySequence& keys,
                               void (TForm1::*handler)()) {
    auto* action = new QAction(text, fileList);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WidgetShortcut);
    action->setShortcutVisibleInContextMenu(true);
    fileList->addAction(action);
    connect(action, &QAction::triggered, this,
            [this, handler] { RunGuarded(this, [this, handler] { (this->*handler)(); }); });
    return action;
}

void TForm1::AddListSeparator() {
    auto* separator = new QAction(fileList);
    separator->setSeparator(true);
    fileList->addAction(separator);
}

void TForm1::FormCreate() {
    rows_->Clear();
    // A fixed frame with the system menu and minimize only: no maximize, and no close
    // button, so that "Quit" is the window's only way out.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
    SetPickersToNow();
}

void TForm1::FormDestroy() {
    rows_->Clear();
}

int TForm1::SelectedPosition() const {
    const QModelIndexList selected = fileList->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.front().row();
}

RenameOptions TForm1::TakeRenameOptions() const {
    RenameOptions options;
    options.baseName = loadedTitle_.BytesOf(*Edit1);
    options.startNumber = SpinEdit1->Value();
    options.replaceExtension = CheckBox1->isChecked();
    options.extension = loadedExtension_.BytesOf(*Edit2);
    options.setAttributes = CheckBox3->isChecked();
    for (const AttributeBox& entry : kAttributeBoxes)
        if ((this->*entry.box)->isChecked())
            options.attributes |= entry.bit;
    options.setCreationTime = CheckBox2->isChecked();
    options.creationDate = FromQDate(DP1->date());
    options.creationTime = FromQTime(DT1->time());
    options.setModifyTime = CheckBox4->isChecked();
    options.modifyDate = FromQDate(DP2->date());
    options.modifyTime = FromQTime(DT2->time());
    return options;
}

void TForm1::PreviewNewNamesClick() {
    if (!previewWindow_) {
        previewWindow_ = new PreviewWindow(
            fileNames, [this] { return TakeRenameOptions(); }, this);
        previewWindow_->FollowOptions({Edit1, Edit2, SpinEdit1->Editor(), CheckBox1, CheckBox2,
                                       CheckBox3, CheckBox4, chR, chH, chS, chA, DP1, DT1, DP2,
                                       DT2});
        previewWindow_->FollowList(*rows_);
    }
    previewWindow_->show();
    previewWindow_->raise();
    previewWindow_->activateWindow();
}

void TForm1::Button1Click() {
    rows_->HideRows();
    AppendFiles(OpenDialog1->Choose());
    // The dialog's listing of a large folder is gone now; what it held goes back to the system
    // rather than staying counted as the window's.
    ReturnFreedMemory();
}

void TForm1::AppendFiles(FileNames paths) {
    rows_->RereadAll();
    rows_->Append(std::move(paths));
}

void TForm1::fileListDragDrop(const QList<QUrl>& urls) {
    // The list is locked while one file is being edited.
    if (!Button1->isEnabled())
        return;
    const DroppedFiles dropped = LocalFilesOf(urls);
    // A drop is taken whole or not at all, so the list never holds half of what was dropped.
    if (!dropped.refused.isEmpty()) {
        ShowErrorBox(this, QStringLiteral("Only files on this computer can be added:\n") +
                               dropped.refused.join(u'\n'));
        return;
    }
    AppendFiles(dropped.paths);
}

void TForm1::Button2Click() {
    rows_->Clear();
    outlets_->SetGaugePosition(0);
    ReturnFreedMemory();
}

void TForm1::BitBtn1Click() {
    const RenameOptions options = TakeRenameOptions();
    struct ListPaintingHold {
        WindowOutlets& outlets;
        explicit ListPaintingHold(WindowOutlets& o) : outlets(o) { outlets.HoldListPainting(); }
        ~ListPaintingHold() { outlets.ReleaseListPainting(); }
    } hold(*outlets_);
    RunWithJournal([this, &options](const std::string* directory) {
        if (directory != nullptr)
            return RunJournaledRenameJob(fileNames, options, *outlets_, *directory).journalPath;
        RunRenameJob(fileNames, options, *outlets_);
        return std::string();
    });
    Gauge1->Announce(QStringLiteral("The run has ended."));
    // What the run needed beside the list (its plan, the journal's records) is freed by now.
    ReturnFreedMemory();
}

void TForm1::RunWithJournal(const std::function<std::string(const std::string*)>& run) {
    std::string problem;
    const std::string directory = JournalDirectory(&problem);
    // With no folder for journals the core would ask without knowing why; asked here, the
    // question names the reason, and the run then goes on with no journal.
    if (directory.empty() && !outlets_->RunWithoutJournal(problem))
        return;
    lastRunJournal_ = run(directory.empty() ? nullptr : &directory);
    runSinceTyping_ = !lastRunJournal_.empty();
}

void TForm1::BitBtn2Click() {
    // Posted, so that this handler finishes before the event loop ends and the window goes.
    QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
}

void TForm1::SetAboutWindow(TForm2* window) {
    aboutWindow_ = window;
}

void TForm1::BitBtn3Click() {
    if (aboutWindow_ != nullptr)
        aboutWindow_->exec();
}

void TForm1::fileListDblClick() {
    const int position = SelectedPosition();
    if (position < 0)
        return;
    SetButtonsLocked(true);
    Button3->show();
    Button4->show();
    // The single-file name carries no number.
    SpinEdit1->setEnabled(false);
    ResetOptions();
    const std::string path = fileNames.at(static_cast<std::size_t>(position));
    loadedTitle_.Load(*Edit1, ExtractFileTitle(path));
    const std::string extension = ExtractExtension(path);
    loadedExtension_.Load(*Edit2, extension.empty() ? extension : extension.substr(1));
    ShowAttributes(files_.ReadAttributes(path));
    ShowFileTimes(files_.GetCreationTime(path), files_.GetModifyTime(path));
}

void TForm1::Button3Click() {
    // The row selected now, which need not be the one that was double-clicked; with no row
    // selected nothing is changed.
    const RenameOptions options = TakeRenameOptions();
    const int position = SelectedPosition();
    RunWithJournal([this, &options, position](const std::string* directory) {
        if (directory != nullptr)
            return ChangeJournaledSingleFile(fileNames, position, options, *outlets_, *directory)
                .journalPath;
        ChangeSingleFile(fileNames, position, options, *outlets_);
        return std::string();
    });
}

void TForm1::UndoLastRunClick() {
    if (UndoLastRunInWindow(this, files_, fileNames, *rows_, lastRunJournal_))
        lastRunJournal_.clear();
    runSinceTyping_ = false;
    Gauge1->Announce(QStringLiteral("The undo has ended."));
}

void TForm1::Button4Click() {
    ResetOptions();
    SetButtonsLocked(false);
    Button3->hide();
    Button4->hide();
    SpinEdit1->setEnabled(true);
}

void TForm1::SetButtonsLocked(bool locked) {
    for (QPushButton* button : {Button1, Button2, BitBtn1, BitBtn3, BitBtn2})
        button->setEnabled(!locked);
    fileList->setAcceptDrops(!locked);
    fileList->setDragEnabled(!locked);
    undoLastRun_->setEnabled(!locked);
    for (QAction* action : orderActions_)
        action->setEnabled(!locked);
}

void TForm1::ResetOptions() {
    Edit1->clear();
    Edit2->clear();
    loadedTitle_.Forget();
    loadedExtension_.Forget();
    // Each unticking runs its box's handler, which disables the controls the box governs.
    for (QCheckBox* box :
         {CheckBox1, CheckBox3, CheckBox2, CheckBox4, aUpper, aLower, chR, chH, chA, chS})
        box->setChecked(false);
    SetPickersToNow();
}

void TForm1::SetPickersToNow() {
    const QDate today = QDate::currentDate();
    const QTime now = QTime::currentTime();
    for (QDateEdit* date : {DP1, DP2})
        date->setDate(today);
    for (QTimeEdit* time : {DT1, DT2})
        time->setTime(now);
}

void TForm1::ShowAttributes(AttributeSet attributes) {
    for (const AttributeBox& entry : kAttributeBoxes)
        if (attributes & entry.bit)
            (this->*entry.box)->setChecked(true);
}

void TForm1::ShowFileTimes(const std::optional<LocalDateTime>& creation,
                           const std::optional<LocalDateTime>& modification) {
    // A file that has gone has no times to show: the pickers then keep what ResetOptions
    // gave them, today and the time of the double-click, rather than some made-up date.
    if (creation) {
        DP1->setDate(ToQDate(*creation));
        DT1->setTime(ToQTime(*creation));
    }
    if (modification) {
        DP2->setDate(ToQDate(*modification));
        DT2->setTime(ToQTime(*modification));
    }
}

void TForm1::RemoveFromListClick() {
    const int position = SelectedPosition();
    if (position < 0)
        return;
    rows_->RemoveAt(position);
    fileList->selectionModel()->clearSelection();
}

void TForm1::SortByNameClick() {
    rows_->SortByName();
    ShowSelectedRow();
}

void TForm1::SortByModifyTimeClick() {
    rows_->SortByModifyTime();
    ShowSelectedRow();
}

void TForm1::MoveUpClick() {
    if (rows_->MoveUp(SelectedPosition(), 1))
        ShowSelectedRow();
}

void TForm1::MoveDownClick() {
    if (rows_->MoveDown(SelectedPosition(), 1))
        ShowSelectedRow();
}

void TForm1::fileListRowsDragged(int first, int count, int destination) {
    if (rows_->MoveRows(first, count, destination))
        ShowSelectedRow();
}

void TForm1::ShowSelectedRow() {
    const QModelIndexList selected = fileList->selectionModel()->selectedIndexes();
    if (!selected.isEmpty())
        fileList->scrollTo(selected.front());
}

void TForm1::SpinEdit1KeyPress(char16_t& key) {
    if (key < u'0' || key > u'9')
        key = 0;
}

void TForm1::CheckBox1Click() {
    Edit2->setEnabled(CheckBox1->isChecked());
}

void TForm1::CheckBox2Click() {
    DP1->setEnabled(CheckBox2->isChecked());
    DT1->setEnabled(CheckBox2->isChecked());
}

void TForm1::CheckBox3Click() {
    for (QCheckBox* box : {chR, chH, chA, chS})
        box->setEnabled(CheckBox3->isChecked());
}

void TForm1::CheckBox4Click() {
    DP2->setEnabled(CheckBox4->isChecked());
    DT2->setEnabled(CheckBox4->isChecked());
}

void TForm1::aUpperClick() {
    if (!aUpper->isChecked())
        return;
    aLower->setChecked(false);
    const QLocale locale;
    Edit1->setText(locale.toUpper(Edit1->text()));
    Edit2->setText(locale.toUpper(Edit2->text()));
}

void TForm1::aLowerClick() {
    if (!aLower->isChecked())
        return;
    aUpper->setChecked(false);
    const QLocale locale;
    Edit1->setText(locale.toLower(Edit1->text()));
    Edit2->setText(locale.toLower(Edit2->text()));
}

void TForm1::keyPressEvent(QKeyEvent* event) {
    // "Start" is the default button: Enter that no control used for itself clicks it.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (BitBtn1->isEnabled())
            BitBtn1->click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    // A text field claims Ctrl+Z for its own typing; after a run, with nothing typed since,
    // the key is left to the window, which undoes the run.
    if (event->type() == QEvent::ShortcutOverride && runSinceTyping_ &&
        (watched == Edit1 || watched == Edit2) &&
        static_cast<const QKeyEvent&>(*event).matches(QKeySequence::Undo)) {
        event->ignore();
        return true;
    }
    if (watched == fileList->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        if (static_cast<const QMouseEvent&>(*event).button() == Qt::LeftButton)
            RunGuarded(this, [this] { fileListDblClick(); });
        return false;
    }
    if (event->type() == QEvent::KeyPress && qobject_cast<QPushButton*>(watched) != nullptr) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        const bool enter = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
        if (enter && (key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return true;
    }
    if (watched == fileList && event->type() == QEvent::KeyPress &&
        static_cast<const QKeyEvent&>(*event).key() == Qt::Key_Delete) {
        RunGuarded(this, [this] { RemoveFromListClick(); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tarvolin
