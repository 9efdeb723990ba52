# Preferences, localisation and the picture index: their own test program beside the Text tests.
zumeli_test(data_store_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/PreferencesTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextLocalizerTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PictureIndexTest.cpp
  DEPS zumeli_data
)
