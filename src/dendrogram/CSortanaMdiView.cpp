#include "dendrogram/CSortanaMdiView.h"
