#pragma once

#include <QByteArrayView>
#include <QString>

// A log line as text: UTF-8 when its bytes are valid UTF-8, else Windows-1252,
// the code page of the Windows machines that write GetRight logs.
QString decodeLogText(QByteArrayView bytes);
