#include <cstdio>
int main() { std::puts("vela " VELA_VERSION); return 0; }
