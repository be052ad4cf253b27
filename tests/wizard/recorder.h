#pragma once

// Stands in for the wizard's message boxes, file dialogs and wait cursor in tests: records what
// was shown and answers with what the test chose.

// Qt
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include "common/uirecorder.h"
#include "controls/dialogservices.h"

// The wizard's dialog services: the shared recorder, with the file dialogs.
using RecordingServices = UiRecorderFor<IDialogServices>;

// Records the addresses the wizard asks the desktop to open (a URL handler for QDesktopServices).
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl &url) { urls.append(url); }
};
