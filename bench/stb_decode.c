/* Decodes one image with stb_image to 8-bit RGBA and prints "width height".
 * Built and run by decode-bench.sh as the stb_image peer. */
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include <stdio.h>

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: stb-decode FILE\n");
        return 2;
    }
    int w = 0, h = 0, comp = 0;
    unsigned char *pixels = stbi_load(argv[1], &w, &h, &comp, 4);
    if (!pixels) {
        fprintf(stderr, "stb-decode: %s: %s\n", argv[1], stbi_failure_reason());
        return 1;
    }
    printf("%d %d\n", w, h);
    stbi_image_free(pixels);
    return 0;
}
