#include "pack_test_util.h"
int main(){return 0;}
