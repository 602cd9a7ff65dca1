extends "res://tests/godot_test.gd"
## What a page waits on, answered from GDScript: permission requests that wait for their request
## object's grant() or deny(), which reaches the page; granted_permissions answering at once; the
## default after request_timeout; a file chooser that waits for select_files() or cancel(), and
## prepared_files answering at once; requests still open when their node is freed.


## The result of a script run in the page, or the text "no result" after the time limit.
func page_value(view: Control, script: String) -> Variant:
	var answers := {}
	var on_finished := func(id: int, result: Variant, error: String) -> void:
		answers[id] = result if error.is_empty() else "error: " + error
	view.javascript_finished.connect(on_finished)
	var id: int = view.run_javascript(script)
	await wait_until(func() -> bool: return answers.has(id), 15)
	view.javascript_finished.disconnect(on_finished)
	return answers.get(id, "no result")


func run() -> void:
	var server: String = arguments.get("server", "")
	var view := ClassDB.instantiate("WebView") as Control
	view.size = Vector2(640, 480)
	view.url = server + "/requests.html"
	add_child(view)
	var finished = await wait_signal(view.load_finished, 60)
	if not check(finished != null and finished[1], "the page loads (got %s)" % [finished]):
		return
	await expect_pixel(320, 400, Color("#3366cc"), "the page")

	await permissions(view, server)
	await file_chooser(view)
	await freed_with_request(server)


## Asks for notifications without waiting; the outcome lands in window.outcome.
func ask_permission(view: Control) -> void:
	view.run_javascript("window.outcome = 'waiting'; Notification.requestPermission().then(r => window.outcome = r); 0")


## Waits until the page's window.outcome is no longer "waiting"; returns it.
func permission_outcome(view: Control, seconds := 10.0) -> Variant:
	var outcome: Variant = null
	var deadline := Time.get_ticks_msec() + int(seconds * 1000)
	while Time.get_ticks_msec() < deadline:
		outcome = await page_value(view, "window.outcome")
		if outcome != "waiting":
			break
		await wait_frames(5)
	return outcome


func permissions(view: Control, server: String) -> void:
	var requests: Array = []
	view.permission_requested.connect(func(request: WebPermissionRequest) -> void: requests.append(request))

	# The first request waits for the game's answer, which reaches the page.
	for answer in ["granted", "denied"]:
		var count := requests.size()
		ask_permission(view)
		await wait_until(func() -> bool: return requests.size() == count + 1, 10)
		if not check(requests.size() == count + 1, "permission_requested came (got %d)" % (requests.size() - count)):
			return
		var request: WebPermissionRequest = requests[count]
		check(request.origin == server, "the request names the page's origin (got '%s')" % request.origin)
		check(request.permission == "notifications", "the request names the permission (got '%s')" % request.permission)
		check(not request.answered, "the request waits for an answer")
		await wait_frames(10)
		check(await page_value(view, "window.outcome") == "waiting", "the page waits for the answer")
		if answer == "granted":
			request.grant()
		else:
			request.deny()
		check(request.answered and request.granted == (answer == "granted"), "the request says it was %s" % answer)
		check(await permission_outcome(view) == answer, "the page's first request is %s from GDScript" % answer)
		request.grant()  # a second answer is ignored
		check(request.granted == (answer == "granted"), "a second answer changes nothing")
	check(view.granted_permissions.is_empty(), "answering a request remembers nothing")

	# A permission granted by the property: answered at once, and still reported.
	view.granted_permissions = PackedStringArray([server + " notifications"])
	var count := requests.size()
	ask_permission(view)
	check(await permission_outcome(view) == "granted", "granted_permissions answers at once")
	await wait_until(func() -> bool: return requests.size() == count + 1, 10)
	check(requests.size() == count + 1 and requests[count].answered and requests[count].granted,
		"the request says it was granted already")
	view.granted_permissions = PackedStringArray()

	# Unanswered: denied after request_timeout.
	view.request_timeout = 0.5
	count = requests.size()
	ask_permission(view)
	await wait_until(func() -> bool: return requests.size() == count + 1, 10)
	check(await permission_outcome(view) == "denied", "an unanswered request is denied after request_timeout")
	check(requests.size() == count + 1 and requests[count].answered and not requests[count].granted,
		"the timed-out request says it was answered, denied")
	view.request_timeout = 60.0


## Clicks the file input until a chooser is reported; returns its request, or null.
func open_chooser(requests: Array) -> WebFileChooserRequest:
	var count := requests.size()
	# A click right after the first load was once lost: see web_input.gd; it is tried again.
	for attempt in 3:
		await click(Vector2(320, 120))
		if await wait_until(func() -> bool: return requests.size() > count, 8):
			return requests[count]
	check(false, "file_chooser_requested came")
	return null


func chosen_after(view: Control, count: int) -> Variant:
	var chosen: Variant = null
	for attempt in 40:
		chosen = await page_value(view, "chosen.join('|')")
		if chosen is String and chosen.split("|", false).size() > count:
			break
		await wait_frames(5)
	return chosen


func file_chooser(view: Control) -> void:
	var paths := {}
	for name in ["chosen file", "prepared file"]:
		var path := "user://%s.txt" % name
		var file := FileAccess.open(path, FileAccess.WRITE)
		file.store_string("hello from godot\n")
		file.close()
		paths[name] = path
	var path: String = paths["chosen file"]
	var absolute := ProjectSettings.globalize_path(path)
	var got := "files: chosen file.txt=hello from godot"
	var requests: Array = []
	view.file_chooser_requested.connect(func(request: WebFileChooserRequest) -> void: requests.append(request))

	# The chooser waits for the game's answer: a cancel. (A cancel after files would clear the
	# input instead: the page would see a change to no files.)
	var first := await open_chooser(requests)
	if first == null:
		return
	check(first.mode == WebFileChooserRequest.MODE_OPEN_FILE, "the request gives the chooser's mode (got %d)" % first.mode)
	check(not first.answered and first.files.is_empty(), "the chooser waits for an answer")
	await wait_frames(10)
	check(await page_value(view, "chosen.join('|')") == "", "the page has no answer yet")
	first.cancel()
	check(first.answered and first.files.is_empty(), "the request says it was cancelled")
	check(await chosen_after(view, 0) == "cancelled", "the page sees the chooser cancelled")

	# Files chosen from GDScript.
	var second := await open_chooser(requests)
	if second == null:
		return
	check(not second.answered, "the second chooser waits")
	second.select_files(PackedStringArray([path]))
	check(second.answered and second.files == PackedStringArray([absolute]), "the request lists the file the page gets (got %s)" % [second.files])
	check(await chosen_after(view, 1) == "cancelled|" + got, "the page reads the file chosen from GDScript")

	# Files prepared by the property: answered at once, used up.
	view.prepared_files = PackedStringArray([paths["prepared file"]])
	var third := await open_chooser(requests)
	if third == null:
		return
	check(third.answered and third.files == PackedStringArray([ProjectSettings.globalize_path(paths["prepared file"])]),
		"prepared_files answered at once (got %s)" % [third.files])
	check(await chosen_after(view, 2) == "cancelled|" + got + "|files: prepared file.txt=hello from godot",
		"the page reads the prepared file")
	check(view.prepared_files.is_empty(), "the prepared answer is used up (left %s)" % [view.prepared_files])

	# A prepared answer older than request_timeout is dropped.
	view.request_timeout = 0.2
	view.prepared_files = PackedStringArray([path])
	await get_tree().create_timer(0.5).timeout
	check(view.prepared_files.is_empty(), "a prepared answer expires after request_timeout")
	view.request_timeout = 60.0


func freed_with_request(server: String) -> void:
	var view := ClassDB.instantiate("WebView") as Control
	view.size = Vector2(320, 240)
	view.url = server + "/requests.html"
	add_child(view)
	var finished = await wait_signal(view.load_finished, 60)
	if not check(finished != null and finished[1], "the second page loads (got %s)" % [finished]):
		return
	var held: Array = []
	view.permission_requested.connect(func(request: WebPermissionRequest) -> void: held.append(request))
	ask_permission(view)
	await wait_until(func() -> bool: return held.size() == 1, 10)
	if not check(held.size() == 1, "the request came"):
		return
	var request: WebPermissionRequest = held[0]
	check(not request.answered, "the request waits")
	# More requests asked right before the node goes, still in its queue.
	view.run_javascript("for (let i = 0; i < 5; i++) Notification.requestPermission()")
	view.queue_free()
	await wait_frames(5)
	check(not is_instance_valid(view), "the node is freed")
	check(request.answered and not request.granted, "the request is answered (denied) with its node gone")
	request.grant()
	check(request.permission == "notifications" and not request.granted, "an answer after the node went changes nothing")
