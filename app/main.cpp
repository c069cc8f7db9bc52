#include <cstdio>

int main()
{
    std::fprintf(stderr, "blorp: the viewer is not built yet\n");
    return 0;
}
