#include "shell/actions.h"

void LoadPlugin() {}
