function F: Integer;
begin
  Result := Round(3000000000.5);
end;
