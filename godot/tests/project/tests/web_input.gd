extends "res://tests/godot_test.gd"
## Godot's input reaching a page: a click at a known point of the window arrives at the same
## point of the page, and keys typed after a click into a text field land in it.


func run() -> void:
	var view := ClassDB.instantiate("WebView") as Control
	view.size = Vector2(640, 480)
	view.url = arguments.get("server", "") + "/colour.html"
	add_child(view)
	var finished = await wait_signal(view.load_finished, 60)
	if not check(finished != null and finished[1], "the page loads (got %s)" % [finished]):
		return
	await expect_pixel(320, 240, Color("#3366cc"), "the page before the click")

	# A click right after the first load was once lost (1 run in 4 here, with the web engine's
	# GPU process reporting a transient failure); a lost click is tried again, at most three
	# times, and said in the log, so that it stays visible while a click at the wrong point or
	# no input at all still fails.
	var title = null
	for attempt in 3:
		await click(Vector2(100, 120))
		title = await wait_signal(view.title_changed, 8)
		if title != null:
			if attempt > 0:
				print("NOTE: the click reached the page at attempt %d" % (attempt + 1))
			break
	check(title != null and title[0] == "clicked 100,120", "the click lands at the same point of the page (got %s)" % [title])
	await expect_pixel(320, 240, Color("#33cc66"), "the page after the click")

	await click(Vector2(60, 310))
	await type_text("hi")
	var typed: String = await field_value(view, "field", "hi")
	check(typed == "hi", "typed keys reach the focused field (it holds '%s')" % typed)
