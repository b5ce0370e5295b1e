#include "app/SearchCommand.h"
