#include "shell/actions.h"

void RunRequest() {}
