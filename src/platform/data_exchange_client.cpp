// The interface has no code of its own; this unit carries its meta-object.
#include "platform/data_exchange_client.h"
