function F: Extended;
var i: Integer;
begin
  i := 2147483647;
  Result := i + 1;
end;
