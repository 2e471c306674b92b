#pragma once

#include "FileNames.h"
#include "RenameOptions.h"

#include <QList>
#include <QTimer>
#include <QWidget>
#include <functional>

class QAbstractItemModel;
class QLabel;
class QTableView;

namespace tarvolin {

class PreviewModel;

// "Preview New Names…": a window beside the main one that shows what "Start" would do to each
// listed file, recomputed as the options change and read again from the disk when the list
// changes or on "Refresh". It only reads; nothing here touches a file. While it is hidden it
// follows nothing, so a run with the preview closed costs what it did without it.
class PreviewWindow final : public QWidget {
    Q_OBJECT

public:
    PreviewWindow(const FileNames& fileNames, std::function<RenameOptions()> takeOptions,
                  QWidget* parent);

    // Redoes the verdicts whenever one of `controls` changes (line edits as their text
    // changes, check boxes as they are ticked, date and time pickers as they are set).
    void FollowOptions(const QList<QWidget*>& controls);
    // Reads the disk again after the list's rows change, once for a burst of changes.
    void FollowList(const QAbstractItemModel& rows);

    const PreviewModel& Model() const { return *model_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OptionsChanged();
    void ListChanged();
    void Reread();

    const FileNames& fileNames_;
    std::function<RenameOptions()> takeOptions_;
    PreviewModel* model_;
    QLabel* summary_;
    QTableView* table_;
    QTimer reread_;
    bool listStale_ = true;
};

} // namespace tarvolin
