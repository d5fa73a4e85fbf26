function F: Boolean;
var d: Date; x: Double; v: Variant;
begin
  x := 45000;
  d := x;
  d := d + 1;
  d := d - 0.5;
  v := d;
  Result := v = 45000.5;
end;
