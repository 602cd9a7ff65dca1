# Engine objects in page JavaScript.
target_sources(sorvane_objects PRIVATE
)
