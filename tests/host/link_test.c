/* A C host that knows lanternbook.dll only through lanternbook.h and an
 * import library: prints the root find_device returns. load is referenced
 * so that both imports are bound when the program starts; its dialog would
 * need somebody at the screen. */
#include <stdio.h>

#include "lanternbook.h"

int main(void) {
    int(__cdecl* volatile open_dialog)(const char*) = load;
    const wchar_t* root = find_device();
    if (root == NULL || open_dialog == NULL) {
        return 2;
    }
    return printf("%ls\n", root) < 0 ? 3 : 0;
}
