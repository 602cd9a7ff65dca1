extends "res://tests/godot_test.gd"
## Text composed with an input method reaching the page's focused field: a composition that is
## replaced, then committed; a composition dropped when it ends without a commit.


func run() -> void:
	var view := ClassDB.instantiate("WebView") as Control
	view.size = Vector2(640, 480)
	view.url = arguments.get("server", "") + "/colour.html"
	add_child(view)
	var finished = await wait_signal(view.load_finished, 60)
	if not check(finished != null and finished[1], "the page loads (got %s)" % [finished]):
		return
	await expect_pixel(320, 240, Color("#3366cc"), "the page")
	# A click right after the first load was once lost (see web_input.gd): clicked until the
	# page's field has the focus.
	var focused := {}
	view.javascript_finished.connect(func(id: int, result: Variant, _error: String) -> void: focused[id] = result)
	for attempt in 10:
		await click(Vector2(60, 310))
		var id: int = view.run_javascript("document.activeElement.id")
		await wait_until(func() -> bool: return focused.has(id), 10)
		if focused.get(id) == "field":
			if attempt > 0:
				print("NOTE: the field took the focus at click %d" % (attempt + 1))
			break
	check(view.has_focus(), "a click on the view gives it the keyboard focus")
	check(focused.values().has("field"), "a click on the page's field focuses it")

	view.push_ime_composition("n", 1, "")
	view.push_ime_composition("ni", 2, "")
	view.push_ime_composition("", -1, "你好")
	var typed: String = await field_value(view, "field", "你好")
	check(typed == "你好", "the committed text replaces the composition (the field holds '%s')" % typed)

	view.push_ime_composition("ma", 2, "")
	view.push_ime_composition("", -1, "")
	await wait_frames(10)
	typed = await field_value(view, "field", "你好")
	check(typed == "你好", "a composition ended without a commit is dropped (the field holds '%s')" % typed)
