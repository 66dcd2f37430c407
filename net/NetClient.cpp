#include "net/CZJDPClient.h"

CZJDPClient NetClient;
