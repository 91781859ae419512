#include <cstdio>
int main() {
    std::fputs("reelix-tool: no commands yet\n", stderr);
    return 1;
}
