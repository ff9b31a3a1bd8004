/* Control interface of the preloaded hidraw interposer. The interposer answers open, ioctl, read,
 * write, poll and close on the "/dev/hidrawN" paths that a test registers, from that test's device;
 * every other path and descriptor goes to the real system call. A test reaches this interface with
 * dlsym(RTLD_DEFAULT, "TavHidrawInterposer_GetApi"). */
#ifndef TAV_HIDRAW_INTERPOSER_H
#define TAV_HIDRAW_INTERPOSER_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* How one simulated node answers. Each returns what the kernel's hidraw driver would: a count of
 * bytes, or a negative errno. Reports carry the report id in byte 0, as hidraw passes them. */
struct TavHidrawNode {
    void* context;
    /* Asked on each stat of the path: 0, or a negative errno (-ENOENT: a node udev has not made
     * yet). May be null. */
    int (*stat)(void* context);
    int (*open)(void* context);
    void (*close)(void* context);
    int (*setFeature)(void* context, const uint8_t* report, size_t length);
    /* On entry report[0] holds the asked report id; the node fills report[1...]. */
    int (*getFeature)(void* context, uint8_t* report, size_t length);
    int (*writeOutput)(void* context, const uint8_t* report, size_t length);
    const uint8_t* descriptor;
    size_t descriptorLength;
    /* What stat says the path is: 0 for the character device a hidraw node is, else an S_IF* type. */
    unsigned fileType;
    /* The device numbers stat gives (st_rdev). */
    unsigned long long deviceNumber;
};

struct TavHidrawInterposerApi {
    /* Registers a node under a path; 0, or -1 when the table is full or the path is taken. */
    int (*addNode)(const char* path, const struct TavHidrawNode* node);
    /* Forgets a node; descriptors still open on it fail with ENODEV from then on. */
    void (*removeNode)(const char* path);
    /* The next count calls of hid_init return -1 instead of initialising. */
    void (*failHidInit)(int count);
};

const struct TavHidrawInterposerApi* TavHidrawInterposer_GetApi(void);

#ifdef __cplusplus
}
#endif

#endif
