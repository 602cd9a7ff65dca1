extends "res://tests/godot_test.gd"
## Godot's worker threads load resources for 30 s while a QML scene, a web page and a looping clip
## render: threaded loads of textures, meshes and materials through ResourceLoader (each load
## uploads to the GPU from a worker thread) and WorkerThreadPool tasks that make textures and
## meshes themselves. Afterwards the views still show their content and the loads all succeeded.
##
## Godot's exit now and then reports ObjectDB instances leaked after thousands of threaded loads
## (1 of the last 3 full runs here, with no leaked Vulkan object and no other test showing it); the views'
## own objects are checked for leaks by every other test, so that one message is known here.
## known-messages: ObjectDB instances leaked at exit

const DEBUG_BACKGROUND := Color("#202020")
const PAGE_COLOUR := Color("#3366cc")
const GREEN := Color("#00ff00")
const SECONDS := 30.0
const DIRECTORY := "user://worker_threads"

var _task_runs := [0]
var _task_failures := [0]
# What the worker tasks made, released on the main thread: a resource freed on a worker thread
# queues its rendering server's release, which Godot's exit does not always run (it then reports
# the RIDs as leaked, with or without views).
var _made: Array = []
var _made_lock := Mutex.new()


func run() -> void:
	var views := smoke_views()
	var qml: Control = views.qml
	var web: Control = views.web
	var video: Control = views.video
	var page_loaded := record_signal(web.load_finished)
	for view in [qml, web, video]:
		add_child(view)
	var page = await wait_recorded(page_loaded, 60)
	check(page != null and page[1], "the page loads")
	await expect_pixel(100, 100, DEBUG_BACKGROUND, "the QML scene before the loads")

	var paths := make_resources()
	var loads := 0
	var failed_loads: Array[String] = []
	var pending: Dictionary = {}
	var tasks: Array[int] = []
	var deadline := Time.get_ticks_msec() + int(SECONDS * 1000)
	var frames := 0
	while Time.get_ticks_msec() < deadline:
		# Keep every resource in flight: a new threaded load as soon as the last one ended.
		for path in paths:
			if pending.has(path):
				var status := ResourceLoader.load_threaded_get_status(path)
				if status == ResourceLoader.THREAD_LOAD_IN_PROGRESS:
					continue
				var resource := ResourceLoader.load_threaded_get(path)
				pending.erase(path)
				loads += 1
				if status != ResourceLoader.THREAD_LOAD_LOADED or resource == null:
					failed_loads.append(path)
			# CACHE_MODE_REPLACE loads the file anew each time. (With CACHE_MODE_IGNORE Godot 4.6.3
			# reports load tokens leaked at its exit, and with sub-threads the last resources too,
			# views or not.)
			if ResourceLoader.load_threaded_request(path, "", false, ResourceLoader.CACHE_MODE_REPLACE) == OK:
				pending[path] = true
		tasks = tasks.filter(func(id: int) -> bool:
			if WorkerThreadPool.is_task_completed(id):
				WorkerThreadPool.wait_for_task_completion(id)
				return false
			return true)
		while tasks.size() < 2:
			tasks.append(WorkerThreadPool.add_task(make_on_worker))
		release_made()
		await get_tree().process_frame
		frames += 1

	# The last tasks and loads end while frames go on: a worker may need the main thread (to
	# flush rendering commands), so the main thread must not block on it.
	check(await wait_until(func() -> bool:
		return tasks.all(func(id: int) -> bool: return WorkerThreadPool.is_task_completed(id)), 30),
		"the last worker tasks end")
	for id in tasks:
		WorkerThreadPool.wait_for_task_completion(id)
	check(await wait_until(func() -> bool:
		return pending.keys().all(func(path: String) -> bool:
			return ResourceLoader.load_threaded_get_status(path) != ResourceLoader.THREAD_LOAD_IN_PROGRESS), 30),
		"the last threaded loads end")
	for path in pending:
		ResourceLoader.load_threaded_get(path)
	release_made()
	await wait_frames(5)
	print("worker_threads: %d threaded loads, %d worker tasks, %d frames in %d s" % [loads, _task_runs[0], frames, SECONDS])
	check(loads >= paths.size() * 3, "the threaded loads ran over and over (%d)" % loads)
	check(failed_loads.is_empty(), "every threaded load succeeded (failed: %s)" % [failed_loads])
	check(_task_runs[0] >= 4 and _task_failures[0] == 0,
		"the worker tasks ran and made their textures and meshes (%d runs, %d failures)" % [_task_runs[0], _task_failures[0]])
	check(frames >= 30, "Godot kept drawing frames during the loads (%d)" % frames)

	await expect_pixel(100, 100, DEBUG_BACKGROUND, "the QML scene after the loads")
	await expect_pixel(480, 120, PAGE_COLOUR, "the page after the loads")
	await expect_pixel(300, 460, GREEN, "the clip after the loads")


## A texture, a mesh and a material with a texture of its own, saved for the threaded loads.
func make_resources() -> Array[String]:
	DirAccess.make_dir_recursive_absolute(DIRECTORY)
	var image := Image.create(256, 256, true, Image.FORMAT_RGBA8)
	image.fill(Color.ORANGE)
	image.generate_mipmaps()
	var texture := ImageTexture.create_from_image(image)
	var mesh := ArrayMesh.new()
	var box := BoxMesh.new()
	box.subdivide_width = 16
	box.subdivide_height = 16
	box.subdivide_depth = 16
	mesh.add_surface_from_arrays(Mesh.PRIMITIVE_TRIANGLES, box.get_mesh_arrays())
	var material := StandardMaterial3D.new()
	material.albedo_texture = texture
	var paths: Array[String] = []
	for entry in [["texture.res", texture], ["mesh.res", mesh], ["material.res", material]]:
		var path: String = DIRECTORY + "/" + entry[0]
		check(ResourceSaver.save(entry[1], path) == OK, "%s is saved" % path)
		paths.append(path)
	return paths


## Runs on a worker thread: makes textures and a mesh (GPU uploads from that thread).
func make_on_worker() -> void:
	var image := Image.create(128, 128, false, Image.FORMAT_RGBA8)
	image.fill(Color(randf(), randf(), randf()))
	var texture := ImageTexture.create_from_image(image)
	var mesh := BoxMesh.new()
	var arrays := mesh.get_mesh_arrays()
	var made := ArrayMesh.new()
	made.add_surface_from_arrays(Mesh.PRIMITIVE_TRIANGLES, arrays)
	_made_lock.lock()
	if texture == null or texture.get_rid() == RID() or made.get_surface_count() != 1:
		_task_failures[0] += 1
	_task_runs[0] += 1
	_made.append_array([texture, made, mesh])
	_made_lock.unlock()


func release_made() -> void:
	_made_lock.lock()
	_made.clear()
	_made_lock.unlock()
