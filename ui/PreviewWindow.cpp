#include "PreviewWindow.h"

#include "PreviewModel.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace tarvolin {

PreviewWindow::PreviewWindow(const FileNames& fileNames, std::function<RenameOptions()> takeOptions,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), fileNames_(fileNames), takeOptions_(std::move(takeOptions)),
      model_(new PreviewModel(this)), summary_(new QLabel(this)), table_(new QTableView(this)) {
    setObjectName(QStringLiteral("PreviewWindow"));
    setWindowTitle(QStringLiteral("Preview New Names"));
    summary_->setObjectName(QStringLiteral("PreviewSummary"));
    table_->setObjectName(QStringLiteral("PreviewTable"));
    table_->setModel(model_);
    // Rows of one height and no row header: the view then lays out only the rows it shows.
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setWordWrap(false);
    table_->setColumnWidth(PreviewModel::CurrentNameColumn, 220);
    table_->setColumnWidth(PreviewModel::NewNameColumn, 220);
    auto* refresh = new QPushButton(QStringLiteral("Refresh"), this);
    refresh->setObjectName(QStringLiteral("PreviewRefresh"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(table_);
    layout->addWidget(refresh, 0, Qt::AlignRight);
    resize(760, 480);
    reread_.setSingleShot(true);
    connect(&reread_, &QTimer::timeout, this, &PreviewWindow::Reread);
    connect(refresh, &QPushButton::clicked, this, &PreviewWindow::Reread);
}

void PreviewWindow::FollowOptions(const QList<QWidget*>& controls) {
    for (QWidget* control : controls) {
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            connect(edit, &QLineEdit::textChanged, this, &PreviewWindow::OptionsChanged);
        else if (auto* box = qobject_cast<QCheckBox*>(control))
            connect(box, &QCheckBox::toggled, this, &PreviewWindow::OptionsChanged);
        else if (auto* picker = qobject_cast<QDateTimeEdit*>(control))
            connect(picker, &QDateTimeEdit::dateTimeChanged, this, &PreviewWindow::OptionsChanged);
    }
}

void PreviewWindow::FollowList(const QAbstractItemModel& rows) {
    connect(&rows, &QAbstractItemModel::rowsInserted, this, &PreviewWindow::ListChanged);
    connect(&rows, &QAbstractItemModel::rowsRemoved, this, &PreviewWindow::ListChanged);
    connect(&rows, &QAbstractItemModel::rowsMoved, this, &PreviewWindow::ListChanged);
    connect(&rows, &QAbstractItemModel::modelReset, this, &PreviewWindow::ListChanged);
    connect(&rows, &QAbstractItemModel::layoutChanged, this, &PreviewWindow::ListChanged);
    connect(&rows, &QAbstractItemModel::dataChanged, this, &PreviewWindow::ListChanged);
}

void PreviewWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (listStale_)
        Reread();
    else
        OptionsChanged();
}

void PreviewWindow::OptionsChanged() {
    if (!isVisible())
        return;
    model_->SetOptions(takeOptions_());
    summary_->setText(model_->Summary());
}

// A run renames its files one by one, each a change of the list: the disk is read again once,
// after the burst.
void PreviewWindow::ListChanged() {
    listStale_ = true;
    if (isVisible())
        reread_.start(0);
}

void PreviewWindow::Reread() {
    listStale_ = false;
    model_->SetList(fileNames_, takeOptions_());
    summary_->setText(model_->Summary());
}

} // namespace tarvolin
