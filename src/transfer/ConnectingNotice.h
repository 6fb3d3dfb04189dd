#pragma once

#include <QDialog>
#include <functional>

// A small window that says an FTP connection is being made, with Cancel, for as long as it
// lives. The connection runs inside the client's blocking call, which lets events through,
// so the Cancel button works meanwhile; pressing it (or closing the window) calls `cancel`.
class ConnectingNotice : public QDialog
{
    Q_OBJECT

public:
    ConnectingNotice(QWidget *parent, const QString &place, std::function<void()> cancel);
};
