# The animated picture: GIF frame cutting is plain C++; the player and the control link Qt.
orb_library(orb_picture_model SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/gif_frames.cpp)

if(ORB_BUILD_GUI)
    orb_library(orb_picture MOC SOURCES
        ${CMAKE_CURRENT_SOURCE_DIR}/gif_player.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/picture_ex.cpp
        ${PROJECT_SOURCE_DIR}/resources/loading.qrc
        DEPS orb_picture_model Qt6::Widgets Threads::Threads)
endif()
