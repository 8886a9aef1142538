/* PlayerSettings: the player's one persistent record, shared byte for byte with the start-up
 * library and stored as settings.bin. Offsets are fixed on every architecture. */
#ifndef MORVELANT_CORE_PLAYER_SETTINGS_H
#define MORVELANT_CORE_PLAYER_SETTINGS_H

#include "morvelant/static_assert.h"

#ifdef __cplusplus
extern "C" {
#endif

#define PLAYER_SETTINGS_SIZE 1132
#define SETTINGS_PATH_CHARS 255
#define EQUALIZER_BAND_COUNT 11

typedef struct PlayerSettings {
  uint8_t rotate;                              /* 0 */
  uint8_t keepAwake;                           /* 1 */
  uint8_t audioEnabled;                        /* 2 */
  uint8_t fullScreen;                          /* 3 */
  uint8_t filtering;                           /* 4 */
  uint8_t cachedInput;                         /* 5 */
  uint8_t unused6;                             /* 6: never read or written */
  uint8_t autoPlay;                            /* 7 */
  uint8_t shuffle;                             /* 8 */
  uint8_t unused9[3];                          /* 9..11 */
  int32_t readerParameter;                     /* 12 */
  uint32_t keyPlayPause;                       /* 16 */
  uint32_t keyFastForward;                     /* 20 */
  uint32_t keyRotate;                          /* 24 */
  uint32_t keyFullScreen;                      /* 28 */
  uint32_t keyDisplayPower;                    /* 32 */
  uint32_t keyVolumeUp;                        /* 36 */
  uint32_t keyVolumeDown;                      /* 40 */
  uint32_t keyBrightnessUp;                    /* 44 */
  uint32_t keyBrightnessDown;                  /* 48 */
  uint32_t keyNextItem;                        /* 52 */
  uint32_t keyPreviousItem;                    /* 56 */
  int32_t dialogOption;                        /* 60 */
  uint32_t keyStop;                            /* 64 */
  uint32_t keyMute;                            /* 68 */
  uint8_t showStatistics;                      /* 72 */
  uint8_t unused73[3];                         /* 73..75 */
  int32_t brightness;                          /* 76 */
  int32_t lateWindow;                          /* 80 */
  uint8_t videoTakeover;                       /* 84 */
  uint8_t useStreamingReader;                  /* 85 */
  uint8_t equalizerOn;                         /* 86 */
  int8_t equalizerBands[EQUALIZER_BAND_COUNT]; /* 87: dB gains -12..+12, byte 0 the preamp */
  char16_t skinPath[SETTINGS_PATH_CHARS];      /* 98 */
  uint8_t muted;                               /* 608 */
  uint8_t showPlaylist;                        /* 609 */
  uint8_t showMediaInfo;                       /* 610 */
  uint8_t sizeToViewport;                      /* 611 */
  uint8_t repeat;                              /* 612 */
  uint8_t resumeLastItem;                      /* 613 */
  char16_t lastItem[SETTINGS_PATH_CHARS];      /* 614 */
  int32_t lastFrame;                           /* 1124 */
  uint32_t volume; /* 1128: left in the low 16 bits, right in the high 16 */
} PlayerSettings;

MORVELANT_STATIC_ASSERT(sizeof(PlayerSettings) == PLAYER_SETTINGS_SIZE, "PlayerSettings size");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, autoPlay) == 7, "autoPlay");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, shuffle) == 8, "shuffle");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, readerParameter) == 12, "readerParameter");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, keyPlayPause) == 16, "keyPlayPause");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, keyFastForward) == 20, "keyFastForward");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, keyRotate) == 24, "keyRotate");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, keyFullScreen) == 28, "keyFullScreen");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, keyDisplayPower) == 32, "keyDisplayPower");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, keyVolumeUp) == 36, "keyVolumeUp");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, keyVolumeDown) == 40, "keyVolumeDown");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, keyBrightnessUp) == 44, "keyBrightnessUp");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, keyBrightnessDown) == 48, "keyBrightnessDown");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, keyNextItem) == 52, "keyNextItem");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, keyPreviousItem) == 56, "keyPreviousItem");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, dialogOption) == 60, "dialogOption");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, keyStop) == 64, "keyStop");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, keyMute) == 68, "keyMute");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, showStatistics) == 72, "showStatistics");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, brightness) == 76, "brightness");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, lateWindow) == 80, "lateWindow");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, videoTakeover) == 84, "videoTakeover");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, useStreamingReader) == 85, "useStreamingReader");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, equalizerOn) == 86, "equalizerOn");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, equalizerBands) == 87, "equalizerBands");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, skinPath) == 98, "skinPath");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, muted) == 608, "muted");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, showPlaylist) == 609, "showPlaylist");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, showMediaInfo) == 610, "showMediaInfo");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, sizeToViewport) == 611, "sizeToViewport");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, repeat) == 612, "repeat");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, resumeLastItem) == 613, "resumeLastItem");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, lastItem) == 614, "lastItem");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, lastFrame) == 1124, "lastFrame");
MORVELANT_STATIC_ASSERT(offsetof(PlayerSettings, volume) == 1128, "volume");

#ifdef __cplusplus
}
#endif
#endif
