#include "platform/data_exchange_client.h"

#include <QMetaObject>

void DataExchangeClient::post(std::function<void()> emitter)
{
    const quint64 conversation = conversation_;
    QMetaObject::invokeMethod(
        this,
        [this, conversation, emitter = std::move(emitter)] {
            if (conversation == conversation_)
                emitter();
        },
        Qt::QueuedConnection);
}
