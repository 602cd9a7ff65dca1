set(__QT_DEPLOY_TARGET_sorvane_FILE /work/main/build/src/libsorvane.so.0.1.3)
set(__QT_DEPLOY_TARGET_sorvane_TYPE SHARED_LIBRARY)
set(__QT_DEPLOY_TARGET_sorvane_internal_FILE /work/main/build/src/libsorvane_internal.a)
set(__QT_DEPLOY_TARGET_sorvane_internal_TYPE STATIC_LIBRARY)
